#include "platform.h"

#include <gtest/gtest.h>

namespace {

using Quorl::utf8FromWide;
using Quorl::wideFromUtf8;

TEST(TextEncoding, WidePathsSurviveTheTripThroughUtf8)
{
    // One, two, three and four UTF-8 bytes; on Windows the last is a surrogate pair.
    const std::wstring wide = L"a\u00E9\u041C\u20AC\U0001F600/\u00FF.tags";
    const std::string utf8 = "a\xC3\xA9\xD0\x9C\xE2\x82\xAC\xF0\x9F\x98\x80/\xC3\xBF.tags";
    EXPECT_EQ(utf8FromWide(wide), utf8);
    EXPECT_EQ(wideFromUtf8(utf8), wide);
    EXPECT_EQ(wideFromUtf8(""), L"");

    // Windows names may hold an unpaired surrogate: it comes back as it was.
    const std::wstring lone(1, static_cast<wchar_t>(0xD800));
    EXPECT_EQ(wideFromUtf8(utf8FromWide(lone)), lone);

    // Bytes that are not UTF-8 become U+FFFD, one each, and do not swallow what follows.
    EXPECT_EQ(wideFromUtf8("\xE9x"), L"\uFFFDx");
    EXPECT_EQ(wideFromUtf8("\xE2\x82"), L"\uFFFD\uFFFD");
}

TEST(TextEncoding, Latin1IsWhatNarrowingKeeps)
{
    EXPECT_TRUE(Quorl::fitsLatin1("geometry"));
    EXPECT_TRUE(Quorl::fitsLatin1("gr\xC3\xB6\xC3\x9F"
                                  "e\xC3\xBF"));
    EXPECT_FALSE(Quorl::fitsLatin1("\xD0\xBC\xD0\xBE\xD0\xB4"));
    EXPECT_FALSE(Quorl::fitsLatin1("x\xC4\x80"));
}

} // namespace
