#include "file_output.h"
#include "unit_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace unit;

namespace {

TEST(FileOutput, ReplacesWholeFilesAndLeavesNothingOnFailure)
{
    const fs::path dir = scratchDir("output");
    const fs::path out = dir / "out.cpp";
    std::string reason;
    const auto write = [&](const fs::path& path, std::string_view text) {
        return Quorl::writeFileReplacing(path.string(), text, &reason);
    };

    ASSERT_TRUE(write(out, "first\n")) << reason;
    ASSERT_TRUE(write(out, "second\n")) << reason;
    EXPECT_EQ(readFile(out), "second\n");
    const std::string big(8 << 20, 'x');
    ASSERT_TRUE(write(out, big)) << reason;
    EXPECT_EQ(readFile(out), big);

    fs::create_directory(dir / "taken");
    EXPECT_FALSE(write(dir / "taken", "x"));
    EXPECT_EQ(reason, "Is a directory");
    EXPECT_FALSE(write(dir / "missing" / "out.cpp", "x"));
    EXPECT_EQ(reason, "No such file or directory");

    std::vector<std::string> left;
    for (const auto& item : fs::directory_iterator(dir)) {
        left.push_back(item.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"out.cpp", "taken"}));

    // A relative path writes into the working directory.
    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    EXPECT_TRUE(write("plain.txt", "p")) << reason;
    fs::current_path(previous);
    EXPECT_EQ(readFile(dir / "plain.txt"), "p");
    fs::remove_all(dir);
}

} // namespace
