#include "tag_library.h"

#include <gtest/gtest.h>

namespace {

TEST(StringHelpers, RemovePathFromFilename)
{
    EXPECT_EQ(Quorl::removePathFromFilename("dir/sub/Geometry.module.tags"),
              "Geometry.module.tags");
    EXPECT_EQ(Quorl::removePathFromFilename("C:\\mods\\geo.tags"), "geo.tags");
    EXPECT_EQ(Quorl::removePathFromFilename("a\\b/c.tags"), "c.tags");
    EXPECT_EQ(Quorl::removePathFromFilename("plain.tags"), "plain.tags");
    EXPECT_EQ(Quorl::removePathFromFilename("dir/"), "");
    EXPECT_EQ(Quorl::removePathFromFilename(""), "");
}

TEST(StringHelpers, ExtractToChar)
{
    std::string text = "Geometry.module.tags";
    EXPECT_EQ(Quorl::extractToChar(text, '.'), "Geometry");
    EXPECT_EQ(text, "module.tags");
    EXPECT_EQ(Quorl::extractToChar(text, '.'), "module");
    EXPECT_EQ(Quorl::extractToChar(text, '.'), "tags");
    EXPECT_EQ(text, "");

    std::string leadingDot = ".hidden";
    EXPECT_EQ(Quorl::extractToChar(leadingDot, '.'), "");
    EXPECT_EQ(leadingDot, "hidden");
}

} // namespace
