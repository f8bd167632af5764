#include "Assets.h"
#include "Stations.h"
#include "Texts.h"

#include "data/InfoText.h"
#include "data/RunSetup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

fs::path freshDir(const std::string& name)
{
    const fs::path dir = fs::temp_directory_path() / name;
    fs::remove_all(dir);
    return dir;
}

}  // namespace

TEST(StationList, EveryLineReadsBackWithItsNameAndCoordinates)
{
    const auto stations = gsnStations();
    ASSERT_GE(stations.size(), 40u);
    std::set<std::string> codes;
    for (const GsnStation& s : stations) {
        const std::string line = stationLine(s);
        EXPECT_LE(std::string(s.description).size(), 31u) << s.code;
        EXPECT_LT(line.size(), 89u);
        EXPECT_EQ(line[39], ' ');
        const StationRecord r = parseStationLine(line);
        EXPECT_EQ(r.stationName, s.code);
        EXPECT_EQ(r.description, s.description);
        EXPECT_NEAR(r.latitude, s.latitude, 0.01) << s.code;
        EXPECT_NEAR(r.longitude, s.longitude, 0.01) << s.code;
        EXPECT_TRUE(codes.insert(s.code).second) << "duplicate " << s.code;
        // A network code as the SAC header keeps it: 1 to 8 capitals or digits.
        const std::string network = s.network;
        EXPECT_TRUE(!network.empty() && network.size() <= 8
                    && std::all_of(network.begin(), network.end(),
                                   [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }))
            << s.code << " " << network;
        EXPECT_LE(std::fabs(s.latitude), 90.0);
        EXPECT_LE(std::fabs(s.longitude), 180.0);
    }
    EXPECT_EQ(stationLine(stations[0]).substr(0, 8), "ANMO    ");
    EXPECT_EQ(stationLine(stations[0]).substr(40), "34.9459N 106.4572W");
}

TEST(StationList, CoversEveryContinentAndBothHemispheres)
{
    // Rough boxes are enough to show that no part of the world is left out.
    int antarctica = 0, africa = 0, southAmerica = 0, australia = 0, europe = 0, asia = 0, northAmerica = 0;
    for (const GsnStation& s : gsnStations()) {
        const double la = s.latitude, lo = s.longitude;
        if (la < -60) ++antarctica;
        else if (la > -35 && la < 37 && lo > -18 && lo < 52) ++africa;
        else if (la < 13 && la > -56 && lo > -82 && lo < -34) ++southAmerica;
        else if (la < -10 && lo > 112 && lo < 155) ++australia;
        else if (la > 36 && lo > -25 && lo < 40) ++europe;
        else if (la > 0 && lo > 40 && lo < 180) ++asia;
        else if (la > 15 && lo < -50 && lo > -170) ++northAmerica;
    }
    EXPECT_GE(antarctica, 3);
    EXPECT_GE(africa, 3);
    EXPECT_GE(southAmerica, 3);
    EXPECT_GE(australia, 3);
    EXPECT_GE(europe, 3);
    EXPECT_GE(asia, 5);
    EXPECT_GE(northAmerica, 5);
}

TEST(InfoTexts, ReadBackIntoParagraphsWithPreBlocksAndMoreChains)
{
    const std::vector<NamedText> texts = infoTexts();
    std::set<std::string> names;
    for (const NamedText& t : texts) names.insert(t.name);
    for (const char* required : {"3D.INF", "XS.INF", "SEIS.INF", "MAP_EV.INF", "MAP_ST.INF"})
        EXPECT_TRUE(names.count(required)) << required;

    int withPre = 0, withMore = 0;
    for (const NamedText& t : texts) {
        std::istringstream lines(t.contents);
        std::string line;
        while (std::getline(lines, line)) EXPECT_LT(line.size(), 99u) << t.name << ": " << line;

        std::string shown = formatInfoText(t.contents);
        EXPECT_EQ(shown.find("PRE>"), std::string::npos) << t.name;
        if (t.contents.find("<PRE>") != std::string::npos) {
            ++withPre;
            // Preformatted lines start on lines of their own.
            EXPECT_NE(shown.find("\r\n  "), std::string::npos) << t.name;
        }
        // Consecutive lines of a paragraph flow together: after a sentence
        // with two blanks, otherwise with one; a blank line breaks paragraphs.
        EXPECT_NE(shown.find("\r\n\r\n"), std::string::npos) << t.name;
        std::istringstream again(t.contents);
        std::string previous;
        bool inPre = false;
        while (std::getline(again, line)) {
            if (line.rfind("<PRE>", 0) == 0) inPre = true;
            if (line.rfind("</PRE>", 0) == 0) inPre = false;
            if (!inPre && !previous.empty() && !line.empty() && line[0] != '<' && previous[0] != '<') {
                const char last = previous.back();
                const std::string joiner = (last == '.' || last == '!' || last == '?') ? "  " : " ";
                EXPECT_NE(shown.find(previous + joiner + line), std::string::npos) << t.name << ": " << line;
            }
            previous = inPre ? std::string() : line;
        }

        std::string value;
        const bool hasMore = findTag(shown, "more", value);
        if (t.contents.find("<more") != std::string::npos) {
            ++withMore;
            ASSERT_TRUE(hasMore) << t.name;
            EXPECT_TRUE(names.count(value)) << t.name << " leads to missing " << value;
            EXPECT_EQ(shown.find('<'), std::string::npos) << t.name;   // tag removed
        } else {
            EXPECT_FALSE(hasMore) << t.name;
        }
    }
    EXPECT_GE(withPre, 3);
    EXPECT_GE(withMore, 1);

    // The globe text leads on to the one about kinds of waves.
    std::string globe = formatInfoText(texts[0].contents);
    std::string value;
    ASSERT_TRUE(findTag(globe, "more", value));
    EXPECT_EQ(value, "WAVES.INF");
    EXPECT_NE(globe.find("light red"), std::string::npos);
}

TEST(HelpPages, OnePagePerTopicAndContentsLinksToAll)
{
    const std::vector<int> expected{0, 1002, 1005, 1013, 1015, 1016, 1019, 1020, 1022, 1024};
    std::vector<int> topics = helpTopics();
    std::sort(topics.begin(), topics.end());
    EXPECT_EQ(topics, expected);

    std::map<std::string, std::string> pages;
    for (const NamedText& p : helpPages()) pages[p.name] = p.contents;
    ASSERT_EQ(pages.size(), expected.size());
    const std::string& contents = pages["help/0.html"];
    for (int t : expected) {
        const std::string name = "help/" + std::to_string(t) + ".html";
        ASSERT_TRUE(pages.count(name)) << name;
        const std::string& html = pages[name];
        EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u) << name;
        EXPECT_NE(html.find("<title>"), std::string::npos);
        EXPECT_NE(html.find("</html>"), std::string::npos);
        if (t != 0) {
            EXPECT_NE(contents.find("href=\"" + std::to_string(t) + ".html\""), std::string::npos) << t;
        }
        // Balanced elements and no bare ampersands.
        for (const char* tag : {"p", "ul", "li", "table", "tr", "td", "th", "h1", "h2", "b", "i", "a", "code"}) {
            const std::regex open(std::string("<") + tag + "[ >]"), close(std::string("</") + tag + ">");
            const auto count = [&html](const std::regex& r) {
                return std::distance(std::sregex_iterator(html.begin(), html.end(), r), std::sregex_iterator());
            };
            EXPECT_EQ(count(open), count(close)) << name << " <" << tag << ">";
        }
        EXPECT_FALSE(std::regex_search(html, std::regex("&(?![a-z]+;)"))) << name;
        // Every link leads to an existing page.
        const std::regex link("href=\"([^\"]+)\"");
        for (auto it = std::sregex_iterator(html.begin(), html.end(), link); it != std::sregex_iterator(); ++it)
            EXPECT_TRUE(pages.count("help/" + (*it)[1].str())) << name << " -> " << (*it)[1];
    }
    EXPECT_NE(pages["help/1022.html"].find("Station Components"), std::string::npos);
    EXPECT_NE(pages["help/1013.html"].find("Event Selection"), std::string::npos);
}

TEST(Writers, FilesLandInTheFolderAndRepeatByteForByte)
{
    const fs::path dir = freshDir("ovassets_test_writers");
    ASSERT_TRUE(writeStationList(dir.string()));
    ASSERT_TRUE(writeInfoTexts(dir.string()));
    ASSERT_TRUE(writeHelpPages(dir.string()));
    ASSERT_TRUE(writeMusic(dir.string()));
    for (const char* name : {"ZURIVI.STA", "3D.INF", "XS.INF", "SEIS.INF", "MAP_EV.INF", "MAP_ST.INF",
                             "OV.MID", "EQ.MID", "help/0.html", "help/1024.html"})
        EXPECT_TRUE(fs::is_regular_file(dir / name)) << name;
    const std::string stations = readFile(dir / "ZURIVI.STA");
    EXPECT_EQ(std::count(stations.begin(), stations.end(), '\n'), long(gsnStations().size()));
    const std::string tune = readFile(dir / "OV.MID");
    ASSERT_TRUE(writeMusic(dir.string()));
    EXPECT_EQ(readFile(dir / "OV.MID"), tune);

    // The core reader finds the more tag in the written file too.
    auto shown = readInfoText((dir / "XS.INF").string());
    ASSERT_TRUE(shown.has_value());
    std::string value;
    EXPECT_TRUE(findTag(*shown, "more", value));
    EXPECT_EQ(value, "CORE.INF");
    fs::remove_all(dir);

    // An unusable folder is reported as a failure.
    const fs::path blocker = freshDir("ovassets_test_blocker");
    std::ofstream(blocker.string()) << "a file, not a folder";
    EXPECT_FALSE(writeStationList((blocker / "sub").string()));
    fs::remove(blocker);
}
