// Information texts ("*.INF"): the display text and the "more" tag the
// information window looks for, which it removes before showing the text.
#include "FuzzSupport.h"
#include "data/InfoText.h"

FUZZ_TARGET(fuzzInfoText)(const uint8_t* data, std::size_t size) {
    const std::string contents(reinterpret_cast<const char*>(data), size);
    std::string text = formatInfoText(contents);

    std::string value;
    const std::size_t before = text.size();
    const bool more = findTag(text, "more", value);
    FUZZ_CHECK(value.size() <= 16 && text.size() <= before && (more || (value.empty() && text.size() == before)));

    // The raw contents, as a tag search on text that was not formatted.
    std::string raw = contents;
    findTag(raw, "MORE", value);
    FUZZ_CHECK(value.size() <= 16);
    return 0;
}
