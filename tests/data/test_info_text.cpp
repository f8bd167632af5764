// Information texts: joining lines into paragraphs, preformatted blocks,
// tags and the tutorial script.
#include "DataTestSupport.h"
#include "data/InfoText.h"

#include <gtest/gtest.h>

using namespace testdata;

TEST(InfoText, LinesJoinIntoParagraphs) {
    const std::string line150(150, 'x'), line99(99, 'y');
    const std::pair<std::string, std::string> cases[] = {
        // One blank after a word, two after a sentence.
        {"The P wave arrives first.\nThen the S wave\ncomes.\n", "The P wave arrives first.  Then the S wave comes."},
        {"Really?\nYes!\nGood", "Really?  Yes!  Good"},
        {"First\r\n\r\nSecond\r\n", "First\r\n\r\nSecond"},   // an empty line breaks the paragraph
        {"Table:\n<PRE>\n  a   b\n  1   2\n</pre>\nAfter\n", "Table:\r\n  a   b\r\n  1   2\r\nAfter"},
        // Lines are read in pieces of 99; a line of exactly 99 is one piece.
        {"Before\n" + line150 + "\nAfter\n", "Before" + line150 + " After"},
        {line99 + "\nNext\n", line99 + "Next"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(formatInfoText(in), out) << in;

    TempDir dir;
    EXPECT_FALSE(readInfoText(dir / "EVT.INF").has_value());
    writeFile(dir / "EVT.INF", "Hello\n");
    EXPECT_EQ(readInfoText(dir / "evt.inf").value_or("none"), "Hello");
}

TEST(InfoText, MoreTagGivesItsValueAndIsRemoved) {
    struct Case {
        std::string text;
        bool found;
        std::string value, rest;
    };
    const Case cases[] = {
        {"Read on. <more \"NEXT.INF\"> The end.", true, "NEXT.INF", "Read on.  The end."},
        {"<MORE> no value", true, "", "<MORE> no value"},
        {"<b>bold</b> <more \"X\">", false, "", "<b>bold</b> <more \"X\">"},   // only the first "<"
        {"no tag", false, "", "no tag"},
        {"<more \"" + std::string(40, 'v') + "\">", true, std::string(16, 'v'), ""},
        {"<more \"UNCLOSED.INF", true, "", "<more \"UNCLOSED.INF"},
    };
    for (Case c : cases) {
        std::string value = "stale";
        const bool found = findTag(c.text, "more", value);
        EXPECT_EQ(std::tie(found, value, c.text), std::tie(c.found, c.value, c.rest));
    }
}

TEST(TutorialScript, StepsFromTheScriptFile) {
    TempDir dir;
    writeFile(dir / "TUTORIAL.TXT", "0 20 STEP1.INF\r\n120 30 STEP2.INF\r\nbad line\r\n60 -5 NEG.INF\r\n"
                                    "10 10\r\n300 15 AVERYLONGFILENAME.INF");
    TutorialScript script{TutorialStep{}};
    readTutorialScript(script, dir.path());
    ASSERT_EQ(script.size(), 3u);
    EXPECT_EQ(std::make_tuple(script[1].showAt, script[1].stayFor, script[1].textFile, script[2].textFile),
              std::make_tuple(120u, 30u, "STEP2.INF", "AVERYLONGFILENA"));
    // A line too long for one piece is junk; the next line still counts.
    writeFile(dir / "TUTORIAL.TXT", std::string(10000, '9') + " 1 A\n5 6 B.INF");
    readTutorialScript(script, dir.path());
    ASSERT_EQ(script.size(), 1u);
    EXPECT_EQ(script[0].textFile, "B.INF");
    readTutorialScript(script, dir / "missing");
    EXPECT_TRUE(script.empty());
}
