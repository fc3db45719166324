// quorlRegenerate: the build step that the CMake functions run for each module, in one small
// process. It runs the tool into a temporary file beside the output, moves that over the output
// only when its bytes differ (so an unchanged text keeps its timestamp and nothing that includes
// it recompiles), and then touches the stamp file that records the run.
//
//   quorlRegenerate <output> <stamp> <tool> <tool arguments>...
//
// The tool gets its arguments followed by the temporary file's path. When the tool fails, its
// status is returned, its messages stand as it printed them, and neither the output nor the
// stamp is touched, so the next build tries again.
//
// A build runs this once per module, so it starts fast: it uses the C library only (no C++
// library to load, no Qt), and compares files in fixed buffers.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

int fail(const char* what, const char* path, int error)
{
    std::fprintf(stderr, "quorlRegenerate: error, could not %s %s: %s\n", what, path,
                 std::strerror(error));
    return 1;
}

// Runs argv (null-terminated); its exit status, or 128 + the signal that ended it.
int run(char** argv, int* error)
{
    pid_t child = 0;
    *error = posix_spawnp(&child, argv[0], nullptr, nullptr, argv, environ);
    if (*error != 0) {
        return 127;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            *error = errno;
            return 127;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Reads up to `size` bytes, fewer only at the end of the file.
ssize_t readFully(int fd, char* buffer, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t got = read(fd, buffer + done, size - done);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return got < 0 ? -1 : static_cast<ssize_t>(done);
        }
        done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

bool sameContents(const char* first, const char* second)
{
    const int a = open(first, O_RDONLY | O_CLOEXEC);
    const int b = open(second, O_RDONLY | O_CLOEXEC);
    struct stat statusA = {};
    struct stat statusB = {};
    bool same = a >= 0 && b >= 0 && fstat(a, &statusA) == 0 && fstat(b, &statusB) == 0 &&
                statusA.st_size == statusB.st_size;
    static char bufferA[1 << 16];
    static char bufferB[1 << 16];
    while (same) {
        const ssize_t gotA = readFully(a, bufferA, sizeof bufferA);
        const ssize_t gotB = readFully(b, bufferB, sizeof bufferB);
        same = gotA >= 0 && gotA == gotB &&
               std::memcmp(bufferA, bufferB, static_cast<size_t>(gotA)) == 0;
        if (gotA < static_cast<ssize_t>(sizeof bufferA)) {
            break;
        }
    }
    if (a >= 0) {
        close(a);
    }
    if (b >= 0) {
        close(b);
    }
    return same;
}

// Regenerates `output` with the tool run `tool` (its last argument is `temporary`).
int regenerate(const char* output, const char* stamp, char** tool, const char* temporary)
{
    int error = 0;
    const int status = run(tool, &error);
    if (error != 0) {
        return fail("run", tool[0], error);
    }
    if (status != 0) {
        unlink(temporary);
        return status;
    }
    if (sameContents(temporary, output)) {
        unlink(temporary);
    } else if (rename(temporary, output) != 0) {
        error = errno;
        unlink(temporary);
        return fail("replace", output, error);
    }
    const int fd = open(stamp, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0 || futimens(fd, nullptr) != 0) {
        return fail("touch", stamp, errno);
    }
    close(fd);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fputs("usage: quorlRegenerate <output> <stamp> <tool> <tool arguments>...\n", stderr);
        return 2;
    }
    const char* output = argv[1];
    const size_t length = std::strlen(output) + sizeof ".quorl-new";
    char* temporary = static_cast<char*>(std::malloc(length));
    // The tool's arguments, the temporary path and the terminating null.
    char** tool = static_cast<char**>(std::malloc(sizeof(char*) * static_cast<size_t>(argc - 1)));
    int status = 1;
    if (temporary == nullptr || tool == nullptr) {
        status = fail("run", argv[3], ENOMEM);
    } else {
        std::snprintf(temporary, length, "%s.quorl-new", output);
        for (int i = 3; i < argc; ++i) {
            tool[i - 3] = argv[i];
        }
        tool[argc - 3] = temporary;
        tool[argc - 2] = nullptr;
        status = regenerate(output, argv[2], tool, temporary);
    }
    std::free(tool);
    std::free(temporary);
    return status;
}
