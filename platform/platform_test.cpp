#include "platform.h"

#include "unit_helpers.h"

#include <gtest/gtest.h>

#include <cstdint>

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

// What the control groups a process is in leave it, as /proc/self/cgroup names them, read from a
// cgroupfs laid out in a scratch folder: each group's limit less what it holds beyond its file
// cache, the least of the group and its parents.
TEST(Memory, ControlGroupRoom)
{
    const unit::fs::path root = unit::scratchDir("cgroup");
    const auto write = [&](const std::string& file, const std::string& text) {
        unit::fs::create_directories((root / file).parent_path());
        std::ofstream(root / file) << text;
    };
    const auto room = [&](const std::string& groups) {
        write("self-cgroup", groups);
        return Quorl::controlGroupRoom((root / "self-cgroup").string(), root.string());
    };
    write("user.slice/memory.max", "max\n");
    write("user.slice/session/memory.max", "max\n");
    EXPECT_EQ(room("0::/user.slice/session\n"), UINTMAX_MAX) << "max means none";
    write("user.slice/session/memory.max", "junk\n");
    EXPECT_EQ(room("0::/user.slice/session\n"), UINTMAX_MAX) << "garbled means none";
    write("user.slice/memory.max", "268435456\n");
    EXPECT_EQ(room("0::/user.slice/session\n"), 268435456u) << "a parent's limit, nothing held";
    write("user.slice/memory.current", "100000000\n");
    write("user.slice/memory.stat", "anon 60000000\nactive_file 30000000\ninactive_file "
                                    "10000000\nshmem 5\n");
    EXPECT_EQ(room("0::/user.slice/session\n"), 208435456u) << "the file cache can be reclaimed";
    write("user.slice/memory.current", "300000000\n");
    write("user.slice/memory.stat", "\n");
    EXPECT_EQ(room("0::/user.slice/session\n"), 0u) << "held beyond the limit leaves nothing";
    write("user.slice/memory.current", "100000000\n");
    write("user.slice/session/memory.max", "134217728\n");
    EXPECT_EQ(room("0::/other\n0::/user.slice/session\n"), 134217728u) << "the least counts";
    EXPECT_EQ(room("0::/elsewhere\n"), UINTMAX_MAX) << "no files, no limit";
    write("unified/hybrid/memory.max", "max\n");
    write("memory/hybrid/memory.limit_in_bytes", "9223372036854771712\n");
    write("memory/memory.limit_in_bytes", "9223372036854771712\n");
    EXPECT_EQ(room("4:memory:/hybrid\n1:cpu:/\n0::/hybrid\n"), 9223372036854771712u);
    write("memory/hybrid/memory.limit_in_bytes", "300000000\n");
    write("memory/hybrid/memory.usage_in_bytes", "200000000\n");
    write("memory/hybrid/memory.stat", "cache 150000000\nactive_file 1\ntotal_active_file "
                                       "50000000\ntotal_inactive_file 40000000\n");
    EXPECT_EQ(room("4:cpu,memory:/hybrid\n0::/hybrid\n"), 190000000u) << "version 1";
    unit::fs::remove_all(root);
}

} // namespace
