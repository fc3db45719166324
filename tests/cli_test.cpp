// Golden command-line tests: each folder under tests/cli is one run of the built executable.
//
//   args    the arguments after the program path, one per line
//   in/     the working directory's files before the run (optional)
//   out/    the working directory's files after the run; absent when the run must change nothing
//   stdout, stderr   the expected streams (absent means empty)
//   status  the expected exit status
//
// Everything is compared byte for byte. To regenerate the expected files after an intended
// change, run the tests with QUORL_UPDATE_GOLDEN=1 and review the result with `git diff tests/cli`.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

void writeFile(const fs::path& path, const std::string& contents)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << contents;
}

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
            files[fs::relative(item.path(), root).generic_string()] = readFile(item.path());
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

struct RunResult
{
    std::string out;
    std::string err;
    int status = -1;
};

RunResult run(const std::vector<std::string>& args, const fs::path& workDir,
              const fs::path& streamsDir)
{
    const fs::path outPath = streamsDir / "stdout";
    const fs::path errPath = streamsDir / "stderr";
    std::vector<char*> argv;
    std::string program = QUORL_EXECUTABLE;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& arg : copies) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
            chdir(workDir.c_str()) != 0) {
            _exit(127);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    RunResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    return result;
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
    fs::remove_all(scratch);
    fs::create_directories(workDir);
    if (fs::exists(caseDir / "in")) {
        fs::copy(caseDir / "in", workDir, fs::copy_options::recursive);
    }
    const auto before = snapshot(workDir);

    const RunResult result = run(readArguments(caseDir / "args"), workDir, scratch);
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
                writeFile(caseDir / "out" / name, contents);
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
