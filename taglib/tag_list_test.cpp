#include "tag_library.h"
#include "unit_helpers.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using Quorl::TagHeaderParser;
using Quorl::TagList;
using namespace unit;

namespace {

TEST(TagRendering, CommentsThenOneLinePerValue)
{
    TagHeaderParser parser;
    const auto tags = parser.parseText("CLASSES = Shape\n"
                                       "X=   \"  padded \"\n"
                                       "CLASSES = Circle   inherits Shape\n"
                                       "E =\n"
                                       "Q = \"\\\"starts with a quote\"\n"
                                       "B = back\\slash \"inside\"\n",
                                       "some/dir/geometry.tags");
    EXPECT_EQ(tags->renderText(), "# tags of geometry.tags\n"
                                  "# 6 values, 5 distinct tags\n"
                                  "CLASSES = Shape\n"
                                  "X = \"  padded \"\n"
                                  "CLASSES = Circle   inherits Shape\n"
                                  "E = \n"
                                  "Q = \"\\\"starts with a quote\"\n"
                                  "B = back\\slash \"inside\"\n");

    const auto one = parser.parseText("A = 1\n", "one.tags");
    EXPECT_EQ(one->renderText(), "# tags of one.tags\n# 1 value, 1 distinct tag\nA = 1\n");
    const auto none = parser.parseText("", "bad\nname.tags");
    EXPECT_EQ(none->renderText(), "# tags of bad?name.tags\n# 0 values, 0 distinct tags\n");
}

void expectRoundTrip(const TagList& tags)
{
    TagHeaderParser parser;
    const std::string text = tags.renderText();
    const auto again = parser.parseText(text, "rendered.tags");
    ASSERT_EQ(parser.errorText, "") << text;
    EXPECT_EQ(pairsOf(*again), pairsOf(tags)) << text;
}

TEST(TagRendering, ReadsBackAsTheSameValues)
{
    TagList tags("m.tags");
    for (const char* value : {"", " ", "\t", "\"", "\"\"", "\\", "a\\", " lead", "trail\t",
                              "\"open", "close\"", "# hash", "x = y",
                              "\xEF\xBB\xBF"
                              "bom",
                              "\xFF\xFE high"}) {
        tags.addValue("V", value);
    }
    expectRoundTrip(tags);

    // Generated lists: names and values from every allowed byte, ends included.
    std::mt19937 random(20261207);
    const std::string nameStart = "abcXYZ_";
    const std::string nameRest = nameStart + "09-.";
    std::string valueBytes = " \t\"\\#=";
    for (int byte = 0x20; byte < 0x100; ++byte) {
        if (byte != 0x7F) {
            valueBytes += static_cast<char>(byte);
        }
    }
    auto pick = [&](const std::string& from) { return from[random() % from.size()]; };
    for (int round = 0; round < 200; ++round) {
        TagList generated("gen.tags");
        const int values = static_cast<int>(random() % 20);
        for (int v = 0; v < values; ++v) {
            std::string name(1, pick(nameStart));
            for (auto n = random() % 6; n > 0; --n) {
                name += pick(nameRest);
            }
            std::string value;
            for (auto n = random() % 12; n > 0; --n) {
                value += pick(valueBytes);
            }
            generated.addValue(name, value);
        }
        expectRoundTrip(generated);
    }
}

TEST(TagRendering, WritesTheFileOrSaysWhyNot)
{
    const fs::path dir = scratchDir("render");
    TagList tags("m.tags");
    tags.addValue("A", "1");
    std::string reason;

    const fs::path out = dir / "tags.txt";
    ASSERT_TRUE(tags.writeTextToFile(out.string(), &reason)) << reason;
    EXPECT_EQ(readFile(out), tags.renderText());

    EXPECT_FALSE(tags.writeTextToFile((dir / "no" / "tags.txt").string(), &reason));
    EXPECT_EQ(reason, "No such file or directory");
    fs::remove_all(dir);
}

} // namespace
