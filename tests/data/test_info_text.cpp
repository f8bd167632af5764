// Information texts: joining lines into paragraphs, preformatted blocks,
// tags and the tutorial script.
#include "DataTestSupport.h"
#include "data/InfoText.h"

#include <gtest/gtest.h>

using testdata::TempDir;
using testdata::writeFile;

TEST(InfoText, LinesJoinWithOneBlankAfterAWordAndTwoAfterASentence)
{
    EXPECT_EQ(formatInfoText("The P wave arrives first.\nThen the S wave\ncomes.\n"),
              "The P wave arrives first.  Then the S wave comes.");
    EXPECT_EQ(formatInfoText("Really?\nYes!\nGood"), "Really?  Yes!  Good");
}

TEST(InfoText, EmptyLineIsAParagraphBreak)
{
    EXPECT_EQ(formatInfoText("First\n\nSecond\n"), "First\r\n\r\nSecond");
    EXPECT_EQ(formatInfoText("First\r\n\r\nSecond\r\n"), "First\r\n\r\nSecond");
}

TEST(InfoText, PreformattedLinesKeepTheirBreaks)
{
    EXPECT_EQ(formatInfoText("Table:\n<PRE>\n  a   b\n  1   2\n</pre>\nAfter\n"),
              "Table:\r\n  a   b\r\n  1   2\r\nAfter");
}

TEST(InfoText, LongLinesAreReadInPiecesOf99)
{
    const std::string line150(150, 'x');
    EXPECT_EQ(formatInfoText("Before\n" + line150 + "\nAfter\n"),
              "Before" + line150 + " After");
    // A line of exactly 99 characters is one piece, not a piece and an empty line.
    const std::string line99(99, 'y');
    EXPECT_EQ(formatInfoText(line99 + "\nNext\n"), line99 + "Next");
}

TEST(InfoText, MissingFileGivesNoText)
{
    TempDir dir;
    EXPECT_FALSE(readInfoText(dir / "EVT.INF").has_value());
    writeFile(dir / "1990010100/EVT.INF", "Hello\n");
    const auto text = readInfoText(dir / "1990010100/evt.inf");
    ASSERT_TRUE(text.has_value());
    EXPECT_EQ(*text, "Hello");
}

TEST(InfoText, MoreTagGivesItsValueAndIsRemoved)
{
    std::string text = "Read on. <more \"NEXT.INF\"> The end.";
    std::string value = "stale";
    EXPECT_TRUE(findTag(text, "more", value));
    EXPECT_EQ(value, "NEXT.INF");
    EXPECT_EQ(text, "Read on.  The end.");

    text = "<MORE> no value";
    EXPECT_TRUE(findTag(text, "more", value));
    EXPECT_EQ(value, "");
    EXPECT_EQ(text, "<MORE> no value");

    text = "<b>bold</b> <more \"X\">";
    EXPECT_FALSE(findTag(text, "more", value));   // only the first "<" counts
    text = "no tag";
    EXPECT_FALSE(findTag(text, "more", value));

    text = "<more \"" + std::string(40, 'v') + "\">";
    EXPECT_TRUE(findTag(text, "more", value));
    EXPECT_EQ(value, std::string(16, 'v'));
    EXPECT_EQ(text, "");

    text = "<more \"UNCLOSED.INF";
    EXPECT_TRUE(findTag(text, "more", value));
    EXPECT_EQ(value, "");
    EXPECT_EQ(text, "<more \"UNCLOSED.INF");
}

TEST(TutorialScript, StepsFromTheScriptFile)
{
    TempDir dir;
    writeFile(dir / "TUTORIAL.TXT",
              "0 20 STEP1.INF\r\n120 30 STEP2.INF\r\nbad line\r\n60 -5 NEG.INF\r\n"
              "10 10\r\n300 15 AVERYLONGFILENAME.INF");
    TutorialScript script{TutorialStep{}};
    readTutorialScript(script, dir.path());
    ASSERT_EQ(script.size(), 3u);
    EXPECT_EQ(script[1].showAt, 120u);
    EXPECT_EQ(script[1].stayFor, 30u);
    EXPECT_EQ(script[1].textFile, "STEP2.INF");
    EXPECT_EQ(script[2].textFile, "AVERYLONGFILENA");
    readTutorialScript(script, dir / "missing");
    EXPECT_TRUE(script.empty());
    EXPECT_EQ(&theTutorialScript(), &theTutorialScript());
}
