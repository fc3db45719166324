#include "qt_versions.h"
#include "tag_library.h"

#include <gtest/gtest.h>

#include <QString>

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

TEST(StringHelpers, QStringRoundTripKeepsEveryByte)
{
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        all += static_cast<char>(byte);
    }
    const QString text = QString::fromLatin1(all.data(), static_cast<Quorl::QtSize>(all.size()));
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(Quorl::qString2STLString(text), all);
}

} // namespace
