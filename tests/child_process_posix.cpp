// Child processes on POSIX: fork and exec, with the options the fault tests need.
#include "child_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t nobody = 65534;

[[noreturn]] void execChild(std::vector<std::string> argv, const Process& process,
                            const ProcessOptions& options)
{
    const int out = open(process.outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(process.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) {
        _exit(125);
    }
    if (!options.workDir.empty() && chdir(options.workDir.c_str()) != 0) {
        _exit(126);
    }
#ifdef SYS_rt_sigaction
    // GNU make leaves 32 and 33 ignored in what it runs, which glibc's sigaction cannot undo:
    // the child starts with every signal at its default, whoever runs the tests.
    const struct
    {
        void* handler = nullptr; // SIG_DFL
        unsigned long flags = 0;
        void* restorer = nullptr;
        std::uint64_t mask = 0;
    } byDefault;
    for (const int signalNumber : {32, 33}) {
        syscall(SYS_rt_sigaction, signalNumber, &byDefault, nullptr, sizeof byDefault.mask);
    }
#endif
    for (const int signalNumber : options.ignoredSignals) {
        signal(signalNumber, SIG_IGN);
    }
    for (const auto& [resource, value] : {std::pair{RLIMIT_FSIZE, options.fileSizeLimit},
                                          std::pair{RLIMIT_AS, options.memoryLimit}}) {
        const rlimit limit{static_cast<rlim_t>(value), static_cast<rlim_t>(value)};
        if (value >= 0 && setrlimit(resource, &limit) != 0) {
            _exit(123);
        }
    }
    if (!options.controlGroup.empty() &&
        !(std::ofstream(options.controlGroup + "/cgroup.procs") << "0\n"
                                                                << std::flush)) {
        _exit(122);
    }
    if (options.unprivileged && geteuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)) {
        _exit(124);
    }
    std::vector<char*> pointers;
    for (std::string& arg : argv) {
        pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);
    execv(pointers[0], pointers.data());
    _exit(127);
}

} // namespace

Process startProcess(const std::vector<std::string>& argv, const std::string& streamsDir,
                     const ProcessOptions& options)
{
    Process process = processWithStreamsIn(streamsDir);
    process.pid = fork();
    if (process.pid == 0) {
        execChild(argv, process, options);
    }
    return process;
}

ProcessResult finishProcess(const Process& process)
{
    int status = 0;
    waitpid(process.pid, &status, 0);
    ProcessResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = readFile(process.outPath);
    result.err = readFile(process.errPath);
    return result;
}

bool hasEnded(const Process& process)
{
    siginfo_t info = {};
    return waitid(P_PID, static_cast<id_t>(process.pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
           info.si_pid != 0;
}

ProcessResult finishProcessWithinTenSeconds(const Process& process)
{
    for (int wait = 0; wait < 1000 && !hasEnded(process); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(process.pid, SIGKILL);
    return finishProcess(process);
}

std::filesystem::path makeScratchFolder(const std::string& prefix)
{
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::filesystem::filesystem_error("mkdtemp", pattern,
                                                std::error_code(errno, std::generic_category()));
    }
    std::filesystem::permissions(pattern, std::filesystem::perms(0755));
    return pattern;
}
