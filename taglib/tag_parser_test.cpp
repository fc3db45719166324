#include "tag_library.h"
#include "unit_helpers.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

using Quorl::TagHeaderParser;
using namespace unit;

namespace {

// Parses `text` that must be free of errors.
Pairs parseGood(std::string_view text)
{
    TagHeaderParser parser;
    const auto tags = parser.parseText(text, "m.tags");
    EXPECT_EQ(parser.errorFlag, 0);
    EXPECT_EQ(parser.errorText, "");
    return tags ? pairsOf(*tags) : Pairs{};
}

std::string errorsOf(std::string_view text)
{
    TagHeaderParser parser;
    const auto tags = parser.parseText(text, "dir/m.tags");
    EXPECT_TRUE(tags != nullptr);
    EXPECT_EQ(parser.errorFlag != 0, !parser.errorText.empty());
    return parser.errorText;
}

TEST(TagParser, KeepsEveryValueInFileOrder)
{
    const Pairs pairs = parseGood("CLASSES = Shape\n"
                                  "VERSION = 1\n"
                                  "CLASSES = Circle inherits Shape\n"
                                  "classes = lower case is another tag\n");
    const Pairs expected = {{"CLASSES", "Shape"},
                            {"VERSION", "1"},
                            {"CLASSES", "Circle inherits Shape"},
                            {"classes", "lower case is another tag"}};
    EXPECT_EQ(pairs, expected);

    TagHeaderParser parser;
    const auto tags = parser.parseText("A = 1\nB = 2\nA = 3\n", "m.tags");
    EXPECT_EQ(tags->getAllValues("A"), (std::vector<std::string>{"1", "3"}));
    EXPECT_EQ(tags->getAllValues("a"), std::vector<std::string>{});
    EXPECT_EQ(tags->tagCount(), 2u);
}

TEST(TagParser, LayoutBlanksAndComments)
{
    const Pairs pairs = parseGood("\n"
                                  "   \t \n"
                                  "# a comment\n"
                                  "  \t# an indented comment\n"
                                  "\t NAME\t=\t value with  inner  blanks \t\n"
                                  "a.b-c_9=x\n"
                                  "_X = # not a comment\n"
                                  "EMPTY =\n"
                                  "EMPTY2 =   \t\n"
                                  "EQ = a = b\n"
                                  "Q = say \"hi\"\n"
                                  "HIGH = caf\xE9 \xFF\x80\n");
    const Pairs expected = {{"NAME", "value with  inner  blanks"},
                            {"a.b-c_9", "x"},
                            {"_X", "# not a comment"},
                            {"EMPTY", ""},
                            {"EMPTY2", ""},
                            {"EQ", "a = b"},
                            {"Q", "say \"hi\""},
                            {"HIGH", "caf\xE9 \xFF\x80"}};
    EXPECT_EQ(pairs, expected);
}

TEST(TagParser, QuotedValues)
{
    const Pairs pairs = parseGood("A = \"  Circle derives Shape  \"\n"
                                  "B = \"\"\n"
                                  "C = \"a \\\"quoted\\\" \\\\ word\"  \t\n"
                                  "D = \"\t# tab and hash\t\"\n"
                                  "E = x\"not quoted\"\n");
    const Pairs expected = {{"A", "  Circle derives Shape  "},
                            {"B", ""},
                            {"C", "a \"quoted\" \\ word"},
                            {"D", "\t# tab and hash\t"},
                            {"E", "x\"not quoted\""}};
    EXPECT_EQ(pairs, expected);
}

TEST(TagParser, LineEndsAndByteOrderMark)
{
    const Pairs expected = {{"A", "1"}, {"B", "2"}, {"C", "3"}};
    EXPECT_EQ(parseGood("A = 1\r\nB = 2\r\nC = 3\r\n"), expected);
    EXPECT_EQ(parseGood("A = 1\nB = 2\r\nC = 3"), expected);
    EXPECT_EQ(parseGood("A = 1\r\nB = 2\r\nC = 3\r"), expected); // the last LF lost
    EXPECT_EQ(parseGood("\xEF\xBB\xBF"
                        "A = 1\nB = 2\nC = 3\n"),
              expected);
    EXPECT_EQ(parseGood("A = \"1\"\r\n\r\n# x\r\nB = 2 \r\nC = 3"), expected);
    EXPECT_EQ(parseGood(""), Pairs{});
    EXPECT_EQ(parseGood("\xEF\xBB\xBF"), Pairs{});
}

// Every kind of error, with its line and column (counted from 1, after a byte-order mark).
TEST(TagParser, ReportsEachErrorWithItsPlace)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"NAME value\n", "dir/m.tags:1:6: error: expected '=' after tag name 'NAME'\n"},
        {"NAME\n", "dir/m.tags:1:5: error: expected '=' after tag name 'NAME'\n"},
        {"  = value\n", "dir/m.tags:1:3: error: missing tag name before '='\n"},
        {"9LIVES = x\n",
         "dir/m.tags:1:1: error: tag name must start with a letter or '_', not '9'\n"},
        {"\xC3\xA9t\xC3\xA9 = x\n",
         "dir/m.tags:1:1: error: tag name must start with a letter or '_', not '0xC3'\n"},
        {"NA$ME = x\n", "dir/m.tags:1:3: error: invalid character '$' in tag name\n"},
        {"A = \"open\n", "dir/m.tags:1:5: error: unterminated quoted value\n"},
        {"A = \"ends in backslash\\\"\n", "dir/m.tags:1:5: error: unterminated quoted value\n"},
        {"A = \"x\" y\n", "dir/m.tags:1:9: error: unexpected text after closing quote\n"},
        {"A = \"a\\nb\"\n", "dir/m.tags:1:7: error: unknown escape sequence '\\n'; only \\\" and "
                            "\\\\ are allowed\n"},
        {"A = \"a\\\xE9\"\n", "dir/m.tags:1:7: error: unknown escape sequence: '\\' before byte "
                              "0xE9; only \\\" and \\\\ are allowed\n"},
        {"A = a\x01z\n", "dir/m.tags:1:6: error: control character 0x01 is not allowed\n"},
        {"A = a\rb\n", "dir/m.tags:1:6: error: control character 0x0D is not allowed\n"},
        {"A = 1\r\r", "dir/m.tags:1:6: error: control character 0x0D is not allowed\n"},
        {"# comment \x7F\n", "dir/m.tags:1:11: error: control character 0x7F is not allowed\n"},
        {std::string("A = \0\n", 6), "dir/m.tags:1:5: error: control character 0x00 is not "
                                     "allowed\n"},
        {"\xEF\xBB\xBF"
         "AB CD\n",
         "dir/m.tags:1:4: error: expected '=' after tag name 'AB'\n"},
        {std::string(20 << 20, 'N'), "dir/m.tags:1:20971521: error: expected '=' after tag name '" +
                                         std::string(200, 'N') + "...'\n"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(errorsOf(text), expected) << "input: " << text;
    }
}

TEST(TagParser, BadLinesAreAllReportedAndGoodLinesKept)
{
    TagHeaderParser parser;
    const auto tags = parser.parseText("A = 1\nbroken\r\nB = 2\n= 3\nC = 4", "m.tags");
    ASSERT_NE(tags, nullptr);
    EXPECT_NE(parser.errorFlag, 0);
    EXPECT_EQ(parser.errorText, "m.tags:2:7: error: expected '=' after tag name 'broken'\n"
                                "m.tags:4:1: error: missing tag name before '='\n");
    EXPECT_EQ(pairsOf(*tags), (Pairs{{"A", "1"}, {"B", "2"}, {"C", "4"}}));

    // A later parse with the same parser starts clean.
    parser.parseText("A = 1\n", "m.tags");
    EXPECT_EQ(parser.errorFlag, 0);
    EXPECT_EQ(parser.errorText, "");
}

TEST(TagParser, StopsReportingAfterTwentyErrors)
{
    std::string text;
    for (int i = 0; i < 30; ++i) {
        text += "bad line\n";
    }
    const std::string errors = errorsOf(text);
    std::string expected;
    for (int line = 1; line <= Quorl::maxReportedErrors; ++line) {
        expected += "dir/m.tags:" + std::to_string(line) +
                    ":5: error: expected '=' after tag "
                    "name 'bad'\n";
    }
    expected += "dir/m.tags: error: too many errors, stopping now\n";
    EXPECT_EQ(errors, expected);
}

TEST(TagParser, UnreadableFiles)
{
    const fs::path dir = scratchDir("unreadable");
    TagHeaderParser parser;

    const std::string missing = (dir / "missing.tags").string();
    EXPECT_EQ(parser.parseTagFile(missing), nullptr);
    EXPECT_NE(parser.errorFlag, 0);
    EXPECT_EQ(parser.errorText, missing + ": error: cannot read file: No such file or directory\n");

#ifdef _WIN32
    fs::remove_all(dir);
    GTEST_SKIP() << "the rest needs POSIX: a folder opened as a file, /proc, permission bits";
#else
    EXPECT_EQ(parser.parseTagFile(dir.string()), nullptr);
    EXPECT_EQ(parser.errorText, dir.string() + ": error: cannot read file: Is a directory\n");

    // Opens fine but fails on reading: the unmapped first page of our own memory.
    EXPECT_EQ(parser.parseTagFile("/proc/self/mem"), nullptr);
    EXPECT_EQ(parser.errorText, "/proc/self/mem: error: cannot read file: Input/output error\n");

    const fs::path locked = dir / "locked.tags";
    std::ofstream(locked) << "A = 1\n";
    chmod(locked.c_str(), 0);
    if (geteuid() != 0) {
        EXPECT_EQ(parser.parseTagFile(locked.string()), nullptr);
        EXPECT_EQ(parser.errorText,
                  locked.string() + ": error: cannot read file: Permission denied\n");
    }
    fs::remove_all(dir);
#endif
}

TEST(TagParser, ReadsFilesOfAnySize)
{
    const fs::path dir = scratchDir("sizes");
    for (const std::size_t count : {0, 1, 1000, 100000}) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i) {
            text += "CLASSES = Class" + std::to_string(i) + " inherits Base\n";
        }
        const fs::path path = dir / "m.tags";
        std::ofstream(path, std::ios::binary) << text;
        TagHeaderParser parser;
        const auto tags = parser.parseTagFile(path.string());
        ASSERT_NE(tags, nullptr);
        EXPECT_EQ(parser.errorFlag, 0);
        ASSERT_EQ(tags->valueCount(), count);
        if (count > 0) {
            EXPECT_EQ(pairsOf(*tags).back().second,
                      "Class" + std::to_string(count - 1) + " inherits Base");
        }
        EXPECT_EQ(tags->sourceName(), "m.tags");
    }
    fs::remove_all(dir);
}

} // namespace
