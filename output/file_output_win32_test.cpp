// The writer's Windows rows: what Windows has instead of POSIX links, modes and signals.
#include "file_output.h"
#include "platform.h"
#include "unit_helpers.h"

#include <gtest/gtest.h>

#include <windows.h>

using namespace unit;

namespace {

std::vector<std::string> namesIn(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(dir)) {
        names.push_back(Quorl::utf8FromWide(item.path().filename().wstring()));
    }
    return names;
}

TEST(FileOutputWindows, ReplacesAllOrNothingKeepingAttributes)
{
    const fs::path dir = scratchDir("output-windows");
    const std::string folder = Quorl::utf8FromWide(dir.wstring());
    const std::string out = folder + "\\gr\xC3\xB6\xC3\x9F"
                                     "e_\xE2\x82\xAC.cpp";
    const std::wstring wideOut = Quorl::wideFromUtf8(out);
    std::string reason;

    // A new file, and a replaced one, under exactly the name given.
    ASSERT_TRUE(Quorl::writeFileReplacing(out, "first\n", &reason)) << reason;
    ASSERT_TRUE(Quorl::writeFileReplacing(out, "second\n", &reason)) << reason;
    EXPECT_EQ(readFile(wideOut), "second\n");
    EXPECT_EQ(namesIn(dir), std::vector<std::string>{"gr\xC3\xB6\xC3\x9F"
                                                     "e_\xE2\x82\xAC.cpp"});

    // A replaced file keeps its attributes.
    ASSERT_TRUE(SetFileAttributesW(wideOut.c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(Quorl::writeFileReplacing(out, "third\n", &reason)) << reason;
    EXPECT_EQ(readFile(wideOut), "third\n");
    EXPECT_NE(GetFileAttributesW(wideOut.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    SetFileAttributesW(wideOut.c_str(), FILE_ATTRIBUTE_NORMAL);

    // Both separators in one path.
    fs::create_directory(dir / "sub");
    ASSERT_TRUE(Quorl::writeFileReplacing(folder + "/sub\\mixed.cpp", "mixed\n", &reason))
        << reason;
    EXPECT_EQ(readFile(dir / "sub" / "mixed.cpp"), "mixed\n");

    // A device takes the text in place, with no temporary file beside it.
    const fs::path previous = fs::current_path();
    fs::current_path(dir / "sub");
    EXPECT_TRUE(Quorl::writeFileReplacing("NUL", "discarded\n", &reason)) << reason;
    fs::current_path(previous);
    EXPECT_EQ(namesIn(dir / "sub"), std::vector<std::string>{"mixed.cpp"});
    fs::remove_all(dir);
}

TEST(FileOutputWindows, FilesThatCannotBeReplacedKeepTheirTextAndNothingIsLeft)
{
    const fs::path dir = scratchDir("output-windows-refused");
    const std::string out = Quorl::utf8FromWide((dir / "out.cpp").wstring());
    const std::wstring wideOut = Quorl::wideFromUtf8(out);
    std::string reason;
    ASSERT_TRUE(Quorl::writeFileReplacing(out, "old\n", &reason)) << reason;

    // Held open by another handle that shares nothing.
    const HANDLE held = CreateFileW(wideOut.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Quorl::writeFileReplacing(out, "new\n", &reason));
    EXPECT_EQ(reason, "Permission denied");
    CloseHandle(held);
    EXPECT_EQ(readFile(wideOut), "old\n");

    // Read-only, as a plain write would find it.
    ASSERT_TRUE(SetFileAttributesW(wideOut.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(Quorl::writeFileReplacing(out, "new\n", &reason));
    EXPECT_EQ(reason, "Permission denied");
    SetFileAttributesW(wideOut.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(readFile(wideOut), "old\n");

    EXPECT_EQ(namesIn(dir), std::vector<std::string>{"out.cpp"});
    fs::remove_all(dir);
}

} // namespace
