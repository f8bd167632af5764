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
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), {});
}

}  // namespace

TEST(StationList, EveryLineReadsBackAndTheStationsCoverEveryContinent) {
    const auto stations = gsnStations();
    ASSERT_GE(stations.size(), 40u);
    std::set<std::string> codes;
    std::map<std::string, int> regions;
    for (const GsnStation& s : stations) {
        const std::string line = stationLine(s);
        EXPECT_LT(line.size(), 89u);
        EXPECT_EQ(line[39], ' ');
        const StationRecord r = parseStationLine(line);
        EXPECT_EQ(r.stationName, s.code);
        EXPECT_EQ(r.description, s.description);   // 31 characters at most, kept whole
        EXPECT_NEAR(r.latitude, s.latitude, 0.01) << s.code;
        EXPECT_NEAR(r.longitude, s.longitude, 0.01) << s.code;
        EXPECT_TRUE(codes.insert(s.code).second) << "duplicate " << s.code;
        EXPECT_TRUE(std::string(s.network) == "IU" || std::string(s.network) == "II");
        // Rough boxes are enough to show that no part of the world is left out.
        const double la = s.latitude, lo = s.longitude;
        ++regions[la < -60 ? "antarctica" : la > -35 && la < 37 && lo > -18 && lo < 52 ? "africa"
                  : la < 13 && la > -56 && lo > -82 && lo < -34 ? "south america"
                  : la < -10 && lo > 112 && lo < 155 ? "australia" : la > 36 && lo > -25 && lo < 40 ? "europe"
                  : la > 0 && lo > 40 ? "asia" : la > 15 && lo < -50 && lo > -170 ? "north america" : "other"];
    }
    for (const char* region : {"antarctica", "africa", "south america", "australia", "europe", "asia", "north america"})
        EXPECT_GE(regions[region], 3) << region;
    EXPECT_EQ(stationLine(stations[0]).substr(0, 8), "ANMO    ");
    EXPECT_EQ(stationLine(stations[0]).substr(40), "34.9459N 106.4572W");
}

TEST(InfoTexts, ShortLinesNoMarkUpLeftAndEveryMoreLeadsToAText) {
    const std::vector<NamedText> texts = infoTexts();
    std::set<std::string> names;
    for (const NamedText& t : texts) names.insert(t.name);
    for (const char* required : {"3D.INF", "XS.INF", "SEIS.INF", "MAP_EV.INF", "MAP_ST.INF"})
        EXPECT_TRUE(names.count(required)) << required;
    int withPre = 0, withMore = 0;
    for (const NamedText& t : texts) {
        std::istringstream lines(t.contents);
        for (std::string line; std::getline(lines, line);) EXPECT_LT(line.size(), 99u) << t.name << ": " << line;
        std::string shown = formatInfoText(t.contents);
        EXPECT_EQ(shown.find("PRE>"), std::string::npos) << t.name;
        EXPECT_NE(shown.find("\r\n\r\n"), std::string::npos) << t.name;   // paragraphs
        if (t.contents.find("<PRE>") != std::string::npos) {
            ++withPre;
            EXPECT_NE(shown.find("\r\n  "), std::string::npos) << t.name;   // preformatted lines of their own
        }
        std::string value;
        const bool more = t.contents.find("<more") != std::string::npos;
        withMore += more;
        EXPECT_EQ(findTag(shown, "more", value), more) << t.name;
        if (more) EXPECT_TRUE(names.count(value)) << t.name << " leads to missing " << value;
        EXPECT_EQ(shown.find('<'), std::string::npos) << t.name;   // tags removed
    }
    EXPECT_GE(withPre, 3);
    EXPECT_GE(withMore, 1);
    // The globe text leads on to the one about kinds of waves.
    std::string value, globe = formatInfoText(texts[0].contents);
    EXPECT_TRUE(findTag(globe, "more", value) && value == "WAVES.INF");
}

TEST(HelpPages, OnePagePerTopicWellFormedAndContentsLinksToAll) {
    const std::vector<int> expected{0, 1002, 1005, 1013, 1015, 1016, 1019, 1020, 1022, 1024};
    std::vector<int> topics = helpTopics();
    std::sort(topics.begin(), topics.end());
    EXPECT_EQ(topics, expected);
    std::map<std::string, std::string> pages;
    for (const NamedText& p : helpPages()) pages[p.name] = p.contents;
    ASSERT_EQ(pages.size(), expected.size());
    const auto count = [](const std::string& html, const std::regex& r) {
        return std::distance(std::sregex_iterator(html.begin(), html.end(), r), std::sregex_iterator());
    };
    for (int t : expected) {
        const std::string name = "help/" + std::to_string(t) + ".html";
        ASSERT_TRUE(pages.count(name)) << name;
        const std::string& html = pages[name];
        EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u) << name;
        EXPECT_TRUE(html.find("<title>") != std::string::npos && html.find("</html>") != std::string::npos);
        if (t != 0) EXPECT_NE(pages["help/0.html"].find("href=\"" + std::to_string(t) + ".html\""), std::string::npos);
        // Balanced elements, no bare ampersands, every link to an existing page.
        for (const std::string tag : {"p", "ul", "li", "table", "tr", "td", "th", "h1", "h2", "b", "i", "a", "code"})
            EXPECT_EQ(count(html, std::regex("<" + tag + "[ >]")), count(html, std::regex("</" + tag + ">")))
                << name << " <" << tag << ">";
        EXPECT_FALSE(std::regex_search(html, std::regex("&(?![a-z]+;)"))) << name;
        const std::regex link("href=\"([^\"]+)\"");
        for (auto it = std::sregex_iterator(html.begin(), html.end(), link); it != std::sregex_iterator(); ++it)
            EXPECT_TRUE(pages.count("help/" + (*it)[1].str())) << name << " -> " << (*it)[1];
    }
    EXPECT_NE(pages["help/1022.html"].find("Station Components"), std::string::npos);
    EXPECT_NE(pages["help/1013.html"].find("Event Selection"), std::string::npos);
}

TEST(Writers, FilesLandInTheFolderAndRepeatByteForByte) {
    const fs::path dir = fs::temp_directory_path() / ("ovassets_test_writers" + std::to_string(getpid()));
    fs::remove_all(dir);
    ASSERT_TRUE(writeStationList(dir.string()) && writeInfoTexts(dir.string()) && writeHelpPages(dir.string()) &&
                writeMusic(dir.string()));
    for (const char* name : {"ZURIVI.STA", "3D.INF", "XS.INF", "SEIS.INF", "MAP_EV.INF", "MAP_ST.INF", "OV.MID",
                             "EQ.MID", "help/0.html", "help/1024.html"})
        EXPECT_TRUE(fs::is_regular_file(dir / name)) << name;
    const std::string stations = readFile(dir / "ZURIVI.STA"), tune = readFile(dir / "OV.MID");
    EXPECT_EQ(std::count(stations.begin(), stations.end(), '\n'), long(gsnStations().size()));
    ASSERT_TRUE(writeMusic(dir.string()));
    EXPECT_EQ(readFile(dir / "OV.MID"), tune);
    // The core reader finds the more tag in the written file too.
    std::string shown = readInfoText((dir / "XS.INF").string()).value_or(""), value;
    EXPECT_TRUE(findTag(shown, "more", value) && value == "CORE.INF");
    // An unusable folder is reported as a failure.
    std::ofstream(dir / "blocker") << "a file, not a folder";
    EXPECT_FALSE(writeStationList((dir / "blocker" / "sub").string()));
    fs::remove_all(dir);
}
