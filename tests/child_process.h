// Runs the built tool as a child process, as a build system would, for the command-line tests.
// (child_process_posix.cpp and child_process_win32.cpp; ProcessOptions other than workDir are
// POSIX's.)
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
using ProcessId = void*; // the process's handle
#else
#include <sys/types.h>
using ProcessId = pid_t;
#endif

struct ProcessOptions
{
    std::string workDir;             // the child's working directory; empty: the current one
    bool unprivileged = false;       // when running as root, the child drops to nobody
    long long fileSizeLimit = -1;    // RLIMIT_FSIZE for the child
    std::vector<int> ignoredSignals; // as nohup, shells and build tools leave some
    long long memoryLimit = -1;      // RLIMIT_AS for the child, in bytes
    std::string controlGroup;        // a control group's folder the child joins
};

struct ProcessResult
{
    int status = -1; // exit status, or 128 + signal number
    std::string out;
    std::string err;
};

struct Process
{
    ProcessId pid{};
    std::string outPath;
    std::string errPath;
};

// Starts `argv` (argv[0] the program's path) with its standard output and error streams going to
// files in `streamsDir`.
// A process not yet started, with the paths of its stream files in `streamsDir` chosen
// (for the platform files).
Process processWithStreamsIn(const std::string& streamsDir);
Process startProcess(const std::vector<std::string>& argv, const std::string& streamsDir,
                     const ProcessOptions& options = {});
ProcessResult finishProcess(const Process& process);
// POSIX: whether the process has ended (it is not reaped), and finishProcess after killing a
// process that has not ended within ten seconds: a run that waits for ever fails instead.
bool hasEnded(const Process& process);
ProcessResult finishProcessWithinTenSeconds(const Process& process);
ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& streamsDir,
                         const ProcessOptions& options = {});

std::string readFile(const std::filesystem::path& path);
// A new, empty folder under the temporary folder, named <prefix>-<random>; open to every user
// (0755), so that an unprivileged child can reach what it holds.
std::filesystem::path makeScratchFolder(const std::string& prefix);
// Creates the file (and its folders) with exactly these bytes.
void writeFile(const std::filesystem::path& path, const std::string& contents);
