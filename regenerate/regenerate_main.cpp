// quorlRegenerate: the build step that the CMake functions run for each module, in one small
// process.
//
//   quorlRegenerate <output> <stamp> <tool> <tool arguments>...
//
// It runs the tool with its arguments followed by the path of an unnamed staging file, and
// replaces <output> with what the tool wrote only when the bytes differ, so that an unchanged
// text keeps its timestamp and nothing that includes it recompiles. The replacement is the
// tool's own (writeFileReplacing), with all its rules for links, modes and failures. Then it
// touches <stamp>, which records the run.
//
// When the tool fails, its status is returned, its messages stand as it printed them followed by
// one line naming the tag file (the tool's last argument), and neither the output nor the
// stamp is touched, so the next build tries again. Stopped by
// SIGTERM, SIGINT or SIGHUP, it stops the tool first and then dies of the same signal; the
// staging file has no name, so nothing is left behind, not even by SIGKILL.
#include "file_output.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace {

// The descriptor and path through which the tool writes the staging file.
constexpr int stagingDescriptor = 3;
constexpr const char* stagingPath = "/dev/fd/3";

constexpr int stopSignals[] = {SIGTERM, SIGINT, SIGHUP};

volatile sig_atomic_t child = 0;
volatile sig_atomic_t stoppedBy = 0;

extern "C" void forwardStop(int signalNumber)
{
    stoppedBy = signalNumber;
    if (child > 0) {
        kill(child, signalNumber);
    }
}

int fail(const char* what, const char* path, int error)
{
    std::fprintf(stderr, "quorlRegenerate: error, could not %s %s: %s\n", what, path,
                 std::strerror(error));
    return 1;
}

// Runs `argv` (null-terminated) with `staging` as its descriptor 3; its exit status, or 128 +
// the signal that ended it. A stop signal meanwhile is passed on to it.
int runTool(char** argv, int staging, int* error)
{
    struct sigaction forward = {};
    forward.sa_handler = forwardStop;
    sigemptyset(&forward.sa_mask);
    for (const int signalNumber : stopSignals) {
        sigaction(signalNumber, &forward, nullptr);
    }
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
#ifdef __linux__
        // Dies with us even when we are killed outright.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
        const bool handedOver = staging == stagingDescriptor
                                    ? fcntl(staging, F_SETFD, 0) == 0
                                    : dup2(staging, stagingDescriptor) >= 0;
        if (getppid() != parent || !handedOver) {
            _exit(127);
        }
        execvp(argv[0], argv);
        std::fprintf(stderr, "quorlRegenerate: error, could not run %s: %s\n", argv[0],
                     std::strerror(errno));
        _exit(127);
    }
    if (pid < 0) {
        *error = errno;
        return 127;
    }
    child = pid;
    if (stoppedBy != 0) {
        kill(pid, stoppedBy);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            *error = errno;
            return 127;
        }
    }
    child = 0;
    if (stoppedBy != 0) {
        signal(stoppedBy, SIG_DFL);
        raise(stoppedBy);
    }
    for (const int signalNumber : stopSignals) {
        signal(signalNumber, SIG_DFL);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Whether `path` holds exactly `text`.
bool holds(const char* path, const char* text, std::size_t size)
{
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    static char buffer[1 << 16];
    std::size_t done = 0;
    bool same = true;
    for (;;) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            same = same && got == 0 && done == size;
            break;
        }
        const auto length = static_cast<std::size_t>(got);
        same = same && done + length <= size && std::memcmp(buffer, text + done, length) == 0;
        done += length;
        if (!same) {
            break;
        }
    }
    close(fd);
    return same;
}

// Among hundreds of modules in a build log, the tool's messages do not say which one failed.
void nameFailedTagFile(const std::vector<char*>& tool)
{
    // tool: the program, its arguments, the staging path, the null that ends them.
    const char* tags = tool[tool.size() - 3];
    const std::string_view command = tool.size() > 4 ? tool[1] : "";
    const char* what = command == "-createClassReg"   ? "class registration"
                       : command == "-createTagsInfo" ? "tag information"
                                                      : "output";
    std::fprintf(stderr, "%s: error: %s not generated\n", tags, what);
}

int regenerate(const char* output, const char* stamp, std::vector<char*>& tool)
{
    std::FILE* staging = std::tmpfile();
    if (staging == nullptr) {
        return fail("stage", output, errno);
    }
    const int fd = fileno(staging);
    int error = 0;
    const int status = runTool(tool.data(), fd, &error);
    if (error != 0) {
        return fail("run", tool[0], error);
    }
    if (status != 0) {
        nameFailedTagFile(tool);
        return status;
    }
    struct stat written = {};
    if (fstat(fd, &written) != 0) {
        return fail("stage", output, errno);
    }
    const auto size = static_cast<std::size_t>(written.st_size);
    void* text = size == 0 ? nullptr : mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (text == MAP_FAILED) {
        return fail("stage", output, errno);
    }
    const std::string_view contents(static_cast<const char*>(text), size);
    std::string reason;
    if (!holds(output, contents.data(), size) &&
        !Quorl::writeFileReplacing(output, contents, &reason)) {
        std::fprintf(stderr, "error, could not write %s: %s\n", output, reason.c_str());
        return 1;
    }
    const int stampFd = open(stamp, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (stampFd < 0 || futimens(stampFd, nullptr) != 0) {
        return fail("touch", stamp, errno);
    }
    close(stampFd);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fputs("usage: quorlRegenerate <output> <stamp> <tool> <tool arguments>...\n", stderr);
        return 2;
    }
    std::vector<char*> tool(argv + 3, argv + argc);
    tool.push_back(const_cast<char*>(stagingPath));
    tool.push_back(nullptr);
    return regenerate(argv[1], argv[2], tool);
}
