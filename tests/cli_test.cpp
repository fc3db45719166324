// Golden command-line tests: each folder under tests/cli is one run of the built executable.
//
//   args    the arguments after the program path, one per line
//   in/     the working directory's files before the run (optional)
//   out/    the working directory's files after the run; absent when the run must change nothing
//   stdout, stderr   the expected streams (absent means empty)
//   status  the expected exit status
//   only    "windows" or "posix" for a case of one platform's behaviour (optional)
//
// File names and arguments are UTF-8; on Windows they reach the tool as wide text.
// Everything is compared byte for byte. To regenerate the expected files after an intended
// change, run the tests with QUORL_UPDATE_GOLDEN=1 and review the result with `git diff tests/cli`.
#include "child_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string readIfPresent(const fs::path& path)
{
    return fs::exists(path) ? readFile(path) : std::string();
}

// Relative path of every regular file below `root`, with its contents.
std::map<std::string, std::string> snapshot(const fs::path& root)
{
    std::map<std::string, std::string> files;
    if (!fs::exists(root)) {
        return files;
    }
    for (const auto& item : fs::recursive_directory_iterator(root)) {
        if (item.is_regular_file()) {
            files[fs::relative(item.path(), root).generic_u8string()] = readFile(item.path());
        }
    }
    return files;
}

std::vector<std::string> readArguments(const fs::path& path)
{
    std::vector<std::string> args;
    std::istringstream lines(readIfPresent(path));
    for (std::string line; std::getline(lines, line);) {
        args.push_back(line);
    }
    return args;
}

std::vector<std::string> caseNames()
{
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(QUORL_CLI_CASES)) {
        if (item.is_directory()) {
            names.push_back(item.path().filename().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

class CommandLine : public testing::TestWithParam<std::string>
{
};

TEST_P(CommandLine, MatchesGoldenFiles)
{
    const fs::path caseDir = fs::path(QUORL_CLI_CASES) / GetParam();
    const fs::path scratch = fs::path(QUORL_CLI_WORK) / GetParam();
    const fs::path workDir = scratch / "work";
#ifdef _WIN32
    const std::string platform = "windows";
#else
    const std::string platform = "posix";
#endif
    const std::vector<std::string> only = readArguments(caseDir / "only");
    if (!only.empty() && only.front() != platform) {
        GTEST_SKIP() << "a case of " << only.front() << " behaviour only";
    }
    fs::remove_all(scratch);
    fs::create_directories(workDir);
    if (fs::exists(caseDir / "in")) {
        // Entry by entry: MinGW's fs::copy refuses to copy a folder into an existing one.
        for (const auto& item : fs::directory_iterator(caseDir / "in")) {
            fs::copy(item.path(), workDir / item.path().filename(), fs::copy_options::recursive);
        }
    }
    const auto before = snapshot(workDir);

    std::vector<std::string> argv = readArguments(caseDir / "args");
    argv.insert(argv.begin(), QUORL_EXECUTABLE);
    ProcessOptions options;
    options.workDir = workDir.string();
    const ProcessResult result = runProcess(argv, scratch.string(), options);
    const auto after = snapshot(workDir);

    if (std::getenv("QUORL_UPDATE_GOLDEN") != nullptr) {
        auto update = [&](const char* name, const std::string& actual) {
            if (actual.empty()) {
                fs::remove(caseDir / name);
            } else {
                writeFile(caseDir / name, actual);
            }
        };
        update("stdout", result.out);
        update("stderr", result.err);
        writeFile(caseDir / "status", std::to_string(result.status) + "\n");
        fs::remove_all(caseDir / "out");
        if (after != before) {
            for (const auto& [name, contents] : after) {
                writeFile(caseDir / "out" / fs::u8path(name), contents);
            }
        }
        GTEST_SKIP() << "expected files rewritten; review them with git diff";
    }

    EXPECT_EQ(readIfPresent(caseDir / "stdout"), result.out);
    EXPECT_EQ(readIfPresent(caseDir / "stderr"), result.err);
    EXPECT_EQ(std::stoi(readFile(caseDir / "status")), result.status);
    const auto expected = fs::exists(caseDir / "out") ? snapshot(caseDir / "out") : before;
    EXPECT_EQ(expected, after) << "files in the working directory after the run";
}

INSTANTIATE_TEST_SUITE_P(Cases, CommandLine, testing::ValuesIn(caseNames()),
                         [](const testing::TestParamInfo<std::string>& param) {
                             return param.param;
                         });

} // namespace
