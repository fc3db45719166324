// quorlRegenerate's contract, through the built programs: replace only when the bytes differ,
// touch the stamp, pass the tool's status and messages through, stop the tool when stopped,
// and leave nothing behind.
#include "child_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class Regenerate : public testing::Test
{
protected:
    void SetUp() override
    {
        root_ = makeScratchFolder("quorl-regenerate");
        dir_ = root_ / "work";
        streams_ = (root_ / "streams").string();
        fs::create_directories(streams_);
        writeFile(dir_ / "m.tags", "CLASSES = Shape\n");
    }
    void TearDown() override { fs::remove_all(root_); }

    // quorlRegenerate <output> <stamp> <program> <arguments>..., the program by default the tool
    // making the class registration of m.tags.
    ProcessResult regenerate(const fs::path& output, std::vector<std::string> program = {})
    {
        if (program.empty()) {
            program = {QUORL_EXECUTABLE, "-createClassReg", (dir_ / "m.tags").string()};
        }
        std::vector<std::string> argv = {QUORL_REGENERATE, output.string(), stamp().string()};
        argv.insert(argv.end(), program.begin(), program.end());
        return runProcess(argv, streams_);
    }
    fs::path stamp() const { return dir_ / "out.stamp"; }
    std::vector<std::string> leftovers() const
    {
        std::vector<std::string> names;
        for (const auto& item : fs::directory_iterator(dir_)) {
            names.push_back(item.path().filename().string());
        }
        return names;
    }

    fs::path root_;
    fs::path dir_; // where the files go; nothing else may appear here
    std::string streams_;
};

TEST_F(Regenerate, ReplacesOnlyChangedTextAndTouchesTheStamp)
{
    const fs::path out = dir_ / "out.cpp";
    ASSERT_EQ(regenerate(out).status, 0);
    const std::string first = readFile(out);
    EXPECT_NE(first.find("   Shape::init( NULL );\n"), std::string::npos);
    ASSERT_TRUE(fs::exists(stamp()));

    // The same text: the file, its inode and its time stay; the stamp moves on.
    const auto written = fs::last_write_time(out);
    struct stat before = {};
    stat(out.c_str(), &before);
    fs::last_write_time(stamp(), written - std::chrono::hours(1));
    ASSERT_EQ(regenerate(out).status, 0);
    struct stat after = {};
    stat(out.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(fs::last_write_time(out), written);
    EXPECT_GT(fs::last_write_time(stamp()), written - std::chrono::hours(1));

    // A changed text replaces the file by the writer's rules: a link stays a link, and the
    // file keeps its mode.
    fs::rename(out, dir_ / "target.cpp");
    fs::create_symlink("target.cpp", out);
    fs::permissions(dir_ / "target.cpp", fs::perms(0640));
    writeFile(dir_ / "m.tags", "CLASSES = Circle\n");
    ASSERT_EQ(regenerate(out).status, 0);
    EXPECT_TRUE(fs::is_symlink(out));
    EXPECT_NE(readFile(out).find("   Circle::init( NULL );\n"), std::string::npos);
    EXPECT_EQ(fs::status(out).permissions(), fs::perms(0640));

    // The longest name the tool accepts.
    const fs::path longName = dir_ / (std::string(248, 'n') + ".cpp");
    EXPECT_EQ(regenerate(longName).status, 0);
    EXPECT_EQ(readFile(longName), readFile(out));
}

TEST_F(Regenerate, FailuresPassThroughAndTouchNothing)
{
    const fs::path out = dir_ / "out.cpp";
    writeFile(out, "old\n");
    writeFile(dir_ / "m.tags", "CLASSES = Circle derives Shape\n");
    const ProcessResult failed = regenerate(out);
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "Error: class entry 0: middle entry is not \"inherits\" \n"
                          "entry: Circle derives Shape\n"
                          "error, registration file could not be created.\n" +
                              (dir_ / "m.tags").string() +
                              ": error: class registration not generated\n");
    EXPECT_EQ(readFile(out), "old\n");
    EXPECT_FALSE(fs::exists(stamp()));

    // Any status, and a death by signal, reach the build.
    const ProcessResult other = regenerate(out, {"/bin/sh", "-c", "exit 7"});
    EXPECT_EQ(other.status, 7);
    EXPECT_EQ(other.err, "exit 7: error: output not generated\n");
    EXPECT_EQ(regenerate(out, {"/bin/sh", "-c", "kill -TERM $$"}).status, 128 + SIGTERM);

    // An output that cannot be written is named as such, not by where the text was staged.
    writeFile(dir_ / "m.tags", "CLASSES = Shape\n");
    const fs::path unwritable = dir_ / "missing" / "out.cpp";
    const ProcessResult refused = regenerate(unwritable);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "error, could not write " + unwritable.string() + ": No such file or directory\n");
    EXPECT_FALSE(fs::exists(stamp()));
    EXPECT_EQ(readFile(out), "old\n");
    std::vector<std::string> left = leftovers();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"m.tags", "out.cpp"}));
}

// Stopped while the tool runs, the companion stops the tool too: by passing SIGTERM on, and
// when killed outright by the tool's parent-death signal. Either way nothing is left behind.
TEST_F(Regenerate, StoppingItStopsTheTool)
{
    // Orphans come to this process, where they can be seen.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    for (const int signalNumber : {SIGTERM, SIGKILL}) {
        const fs::path pidFile = dir_ / "tool.pid";
        fs::remove(pidFile);
        const Process process = startProcess(
            {QUORL_REGENERATE, (dir_ / "out.cpp").string(), stamp().string(), "/bin/sh", "-c",
             "echo $$ > " + pidFile.string() + ".new && mv " + pidFile.string() + ".new " +
                 pidFile.string() + " && exec sleep 60"},
            streams_);
        while (!fs::exists(pidFile)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        const pid_t tool = std::stoi(readFile(pidFile));
        kill(process.pid, signalNumber);
        EXPECT_EQ(finishProcess(process).status, 128 + signalNumber);
        // The tool, an orphan now if it still runs, must end at once.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        int status = 0;
        while (waitpid(tool, &status, WNOHANG) == 0 &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_NE(kill(tool, 0), 0)
            << "the tool outlived quorlRegenerate (signal " << signalNumber << ")";
        kill(tool, SIGKILL);
        waitpid(tool, &status, 0);
        fs::remove(pidFile);
        EXPECT_FALSE(fs::exists(dir_ / "out.cpp"));
        EXPECT_FALSE(fs::exists(stamp()));
    }
    prctl(PR_SET_CHILD_SUBREAPER, 0);
}

} // namespace
