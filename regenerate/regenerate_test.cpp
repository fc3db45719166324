// quorlRegenerate's contract, through the built program: the tool's text and messages, an output
// that already holds the text left alone, the stamp touched only on success, and any other output
// written as the tool writes it, never read first.
#include "child_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
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

    // quorlRegenerate -createClassReg m.tags <output> <stamp>
    Process start(const std::string& output, const ProcessOptions& options = {})
    {
        return startProcess({QUORL_REGENERATE, "-createClassReg", (dir_ / "m.tags").string(),
                             output, stamp().string()},
                            streams_, options);
    }
    ProcessResult regenerate(const std::string& output, const ProcessOptions& options = {})
    {
        return finishProcess(start(output, options));
    }
    fs::path stamp() const { return dir_ / "out.stamp"; }
    std::vector<std::string> leftovers() const
    {
        std::vector<std::string> names;
        for (const auto& item : fs::directory_iterator(dir_)) {
            names.push_back(item.path().filename().string());
        }
        std::sort(names.begin(), names.end());
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
    ASSERT_EQ(runProcess({QUORL_EXECUTABLE, "-createClassReg", (dir_ / "m.tags").string(),
                          (root_ / "tool.cpp").string()},
                         streams_)
                  .status,
              0);
    EXPECT_EQ(first, readFile(root_ / "tool.cpp"));
    ASSERT_TRUE(fs::exists(stamp()));

    // The same text: the file, its inode and its time stay; the stamp moves on.
    const auto written = fs::last_write_time(out) - std::chrono::hours(1);
    fs::last_write_time(out, written);
    fs::last_write_time(stamp(), written);
    struct stat before = {};
    stat(out.c_str(), &before);
    ASSERT_EQ(regenerate(out).status, 0);
    struct stat after = {};
    stat(out.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(fs::last_write_time(out), written);
    EXPECT_GT(fs::last_write_time(stamp()), written);

    // Through a link even the same text is written, by the writer's rules: a link stays a link,
    // and the file keeps its mode.
    fs::rename(out, dir_ / "target.cpp");
    fs::create_symlink("target.cpp", out);
    fs::permissions(dir_ / "target.cpp", fs::perms(0640));
    writeFile(dir_ / "m.tags", "CLASSES = Circle\n");
    ASSERT_EQ(regenerate(out).status, 0);
    EXPECT_TRUE(fs::is_symlink(out));
    EXPECT_NE(readFile(out).find("   Circle::init( NULL );\n"), std::string::npos);
    EXPECT_EQ(fs::status(out).permissions(), fs::perms(0640));
    EXPECT_EQ(leftovers(),
              (std::vector<std::string>{"m.tags", "out.cpp", "out.stamp", "target.cpp"}));
}

// A misspelt CLASSES tag, or none at all, builds as it should, with the tool's output, but gets
// a warning that IDEs lead to: at each run of the near miss, and at the file.
TEST_F(Regenerate, MisspeltOrMissingClassesTagsAreNamed)
{
    const std::string tags = (dir_ / "m.tags").string();
    writeFile(dir_ / "m.tags", "MODULE = m\nCLASS = Circle\nCLASS = Square\nClasses = Shape\n"
                               "  CLASSE = Ellipse\nCLASSESS = Line\nCLASSIC = no\nGLASSES = no\n");
    const std::string nearMiss =
        "' is not the CLASSES tag, so its values register no class; did you mean CLASSES?\n";
    ProcessResult result = regenerate((dir_ / "out.cpp").string());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err,
              "warning - no classes found. Proxy file created (with no actual registrations).\n" +
                  tags + ":2:1: warning: 'CLASS" + nearMiss + tags + ":4:1: warning: 'Classes" +
                  nearMiss + tags + ":5:3: warning: 'CLASSE" + nearMiss + tags +
                  ":6:1: warning: 'CLASSESS" + nearMiss + tags +
                  ":1:1: warning: no CLASSES tag, so module 'm' registers no class\n");
    writeFile(dir_ / "m.tags", "CLASSES = Shape\nclasses = Circle\n");
    result = regenerate((dir_ / "out.cpp").string());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, tags + ":2:1: warning: 'classes" + nearMiss);
    ASSERT_EQ(runProcess({QUORL_EXECUTABLE, "-createClassReg", tags, (root_ / "tool.cpp").string()},
                         streams_)
                  .err,
              "")
        << "the tool's own output stays as it is";
    EXPECT_EQ(readFile(dir_ / "out.cpp"), readFile(root_ / "tool.cpp"));
}

TEST_F(Regenerate, FailuresNameTheTagFileAndTouchNothing)
{
    const fs::path out = dir_ / "out.cpp";
    writeFile(out, "old\n");
    writeFile(dir_ / "m.tags", "CLASSES = Circle derives Shape\n");
    const std::string notGenerated =
        (dir_ / "m.tags").string() + ": error: class registration not generated\n";
    ProcessResult result = regenerate(out);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "Error: class entry 0: middle entry is not \"inherits\" \n"
                          "entry: Circle derives Shape\n"
                          "error, registration file could not be created.\n" +
                              (dir_ / "m.tags").string() +
                              ":1:18: error: the 1st CLASSES value (class entry 0) has 'derives' "
                              "where 'inherits' belongs\n" +
                              notGenerated);

    // A bad CLASSES value gets a line that IDEs lead to: where its fault is, and which value,
    // numbered as the tool's own message numbers it.
    const std::string forms = "; a class entry has 1, 3 or 5 words: 'Class', 'Class inherits Base' "
                              "or 'Class in header inherits Base'";
    const std::string third = " error: the 3rd CLASSES value (class entry 2) has ";
    for (const auto& [value, location] : std::vector<std::pair<std::string, std::string>>{
             {"Circle inherits", ":4:12:" + third + "2 words" + forms},
             {"Ellipse inherit Circle", ":4:20:" + third + "'inherit' where 'inherits' belongs"},
             {"Square in square.h Inherit Shape",
              ":4:31:" + third + "'Inherit' where 'inherits' belongs"},
             // What the eye does not see is pointed at and named.
             {"B  inherits A", ":4:14:" + third +
                                   "two blanks in a row here, which make an empty word, so 4 "
                                   "words" +
                                   forms + ", one blank apart"},
             {"Circle\tinherits Shape", ":4:18:" + third +
                                            "a tab here, which does not part words, so 2 words" +
                                            forms + ", one blank apart"},
             {"a b c d e f", ":4:22:" + third + "more than 5 words, this one too many" + forms},
             {"Square in square.h",
              ":4:19:" + third +
                  "'in' where 'inherits' belongs; with a header write 'Class in header inherits "
                  "Base', or the class alone, whose header is then Square.h"}}) {
        writeFile(dir_ / "m.tags", std::string("CLASSES = Shape\n# a comment\nCLASSES = Circle\n") +
                                       "CLASSES = \"" + value + "\"\n");
        const std::string tail = (dir_ / "m.tags").string() + location + "\n" + notGenerated;
        result = regenerate(out);
        EXPECT_EQ(result.err.substr(result.err.size() - std::min(result.err.size(), tail.size())),
                  tail);
    }
    const ProcessResult version =
        finishProcess(startProcess({QUORL_REGENERATE, "--version"}, streams_));
    EXPECT_EQ(version.out, "quorlRegenerate (quorlModuleParser) " QUORL_VERSION "\n");

    // The output, not a staging file, is what could not be written.
    std::string tags;
    for (int i = 0; i < 1000; ++i) {
        tags += "CLASSES = Class" + std::to_string(i) + "\n";
    }
    writeFile(dir_ / "m.tags", tags);
    const fs::path unwritable = dir_ / "missing" / "out.cpp";
    result = regenerate(unwritable);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "error, could not write " + unwritable.string() +
                              ": No such file or directory\n" + notGenerated);
    ProcessOptions smallDisk;
    smallDisk.fileSizeLimit = 4096; // more than the messages, less than the text
    result = regenerate(out, smallDisk);
    EXPECT_EQ(result.err,
              "error, could not write " + out.string() + ": File too large\n" + notGenerated);

    EXPECT_EQ(readFile(out), "old\n");
    EXPECT_EQ(leftovers(), (std::vector<std::string>{"m.tags", "out.cpp"}));
    result = finishProcess(startProcess({QUORL_REGENERATE, "-createClassReg"}, streams_));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err.rfind("usage: quorlRegenerate ", 0), 0u) << result.err;
}

// A FIFO, /dev/stdout and a FIFO planted in a sticky folder are never read first: the companion
// writes them, or refuses them, as the tool does, and never waits on them.
TEST_F(Regenerate, OutputsThatAreNotPlainFilesAreWrittenAsTheToolWritesThem)
{
    ASSERT_EQ(runProcess({QUORL_EXECUTABLE, "-createClassReg", (dir_ / "m.tags").string(),
                          (root_ / "expected.cpp").string()},
                         streams_)
                  .status,
              0);
    const std::string expected = readFile(root_ / "expected.cpp");

    const fs::path fifo = dir_ / "fifo.cpp";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);
    const Process reader = startProcess({"/bin/cat", fifo.string()}, streams_);
    EXPECT_EQ(finishProcessWithinTenSeconds(start(fifo.string())).status, 0);
    EXPECT_EQ(finishProcessWithinTenSeconds(reader).out, expected);

    const ProcessResult piped =
        runProcess({"/bin/sh", "-c", "\"$0\" -createClassReg \"$1\" /dev/stdout | cat",
                    QUORL_REGENERATE, (dir_ / "m.tags").string()},
                   streams_);
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(piped.out, expected);

    // The stamp is touched as touch(1) touches it: a FIFO without a reader does not hold the run
    // up, and a stamp that cannot be made says why. The tag file's text goes to /dev/null.
    const fs::path fifoStamp = dir_ / "stamp-fifo";
    ASSERT_EQ(mkfifo(fifoStamp.c_str(), 0666), 0);
    fs::permissions(fifoStamp, fs::perms(0666));
    const auto touching = [&](const fs::path& stamp) {
        ProcessOptions asUser;
        asUser.unprivileged = true;
        return finishProcessWithinTenSeconds(
            startProcess({QUORL_REGENERATE, "-createClassReg", (dir_ / "m.tags").string(),
                          "/dev/null", stamp.string()},
                         streams_, asUser));
    };
    EXPECT_EQ(touching(fifoStamp).status, 0);
    fs::create_directory(dir_ / "closed");
    fs::permissions(dir_ / "closed", fs::perms(0555));
    for (const auto& [stamp, reason] :
         {std::pair{dir_ / "missing" / "stamp", "No such file or directory"},
          std::pair{dir_ / "closed" / "stamp", "Permission denied"}}) {
        EXPECT_EQ(touching(stamp).err,
                  "error, could not touch " + stamp.string() + ": " + reason + "\n");
    }

    const char* setting = "/proc/sys/fs/protected_fifos";
    const std::string saved = readFile(setting);
    if (geteuid() != 0 || saved.empty() || !(std::ofstream(setting) << "1\n")) {
        std::cout << "planted FIFO skipped: it needs root and " << setting << "\n";
        return;
    }
    fs::create_directory(dir_ / "shared");
    fs::permissions(dir_ / "shared", fs::perms(01777));
    ProcessOptions asUser;
    asUser.unprivileged = true;
    const std::string planted = (dir_ / "shared" / "out.cpp").string();
    ASSERT_EQ(runProcess({"/usr/bin/mkfifo", planted}, streams_, asUser).status, 0);
    const ProcessResult refused = finishProcessWithinTenSeconds(start(planted));
    std::ofstream(setting) << saved;
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err.rfind("error, could not write " + planted + ": Permission denied\n", 0),
              0u)
        << refused.err;
}

// Started as nohup and shells start background jobs, with SIGHUP and SIGINT ignored, it finishes
// its work when they come, as the tool does.
TEST_F(Regenerate, InheritedIgnoredSignalsStayIgnored)
{
    std::string tags;
    for (int i = 0; i < 200000; ++i) {
        tags += "CLASSES = Class" + std::to_string(i) + " inherits Base\n";
    }
    writeFile(dir_ / "m.tags", tags);
    ProcessOptions likeNohup;
    likeNohup.ignoredSignals = {SIGHUP, SIGINT};
    const Process process = start((dir_ / "out.cpp").string(), likeNohup);
    const fs::path program = "/proc/" + std::to_string(process.pid) + "/exe";
    std::error_code error;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (fs::read_symlink(program, error).filename() != "quorlRegenerate" &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield(); // until it runs, as the signals' sender sees it
    }
    for (int i = 0; i < 20; ++i) {
        kill(process.pid, i % 2 == 0 ? SIGHUP : SIGINT);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const ProcessResult result = finishProcess(process);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(readFile(dir_ / "out.cpp").find("Class199999::shutdown();"), std::string::npos);
    EXPECT_TRUE(fs::exists(stamp()));
}

} // namespace
