// POSIX: the output's kind is worked out first (following links, telling devices and FIFOs
// from files), then the text is written in place or staged and renamed over the file.
#include "file_output.h"
#include "file_output_testing.h"
#include "temporary_name.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <iterator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

namespace Quorl {
namespace {

std::string directoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// ---- Signals while writing

// The name of the named temporary file that exists right now, for the signal handler.
std::atomic<const char*> namedTemporary{nullptr};

// SIGTERM, SIGINT and SIGHUP are how builds get stopped (a CI timeout, Ctrl-C, a closed
// terminal); the run still dies of them, but takes its named temporary file along.
constexpr int stopSignals[] = {SIGTERM, SIGINT, SIGHUP};
// A file-size limit and a reader that went away are reported as errors, not killing signals.
constexpr int limitSignals[] = {SIGXFSZ, SIGPIPE};

extern "C" void removeTemporaryAndDie(int signalNumber)
{
    if (const char* name = namedTemporary.load()) {
        unlink(name);
    }
    // SA_RESETHAND has restored the default action: the signal raised again ends the process
    // as soon as this handler returns.
    raise(signalNumber);
}

// Sets `handler` for some signals for the length of a scope, and restores what was there. A
// signal the caller ignores stays ignored (nohup's SIGHUP, say).
class SignalHandlers
{
public:
    template <std::size_t count>
    SignalHandlers(const int (&signals)[count], void (*handler)(int), int flags)
    {
        static_assert(count <= std::size(decltype(saved_){}));
        struct sigaction action = {};
        action.sa_handler = handler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = flags;
        for (const int signalNumber : signals) {
            Saved& saved = saved_[count_++];
            saved.number = signalNumber;
            sigaction(signalNumber, &action, &saved.action);
            if (saved.action.sa_handler == SIG_IGN) {
                sigaction(signalNumber, &saved.action, nullptr);
            }
        }
    }
    ~SignalHandlers()
    {
        for (int i = 0; i < count_; ++i) {
            sigaction(saved_[i].number, &saved_[i].action, nullptr);
        }
    }
    SignalHandlers(const SignalHandlers&) = delete;
    SignalHandlers& operator=(const SignalHandlers&) = delete;

private:
    struct Saved
    {
        int number;
        struct sigaction action;
    };
    Saved saved_[3] = {};
    int count_ = 0;
};

// Holds the stop signals back while a temporary name comes or goes, so the handler never
// removes a name that is not (or no longer) ours.
class StopSignalsBlocked
{
public:
    StopSignalsBlocked()
    {
        sigset_t stop;
        sigemptyset(&stop);
        for (const int signalNumber : stopSignals) {
            sigaddset(&stop, signalNumber);
        }
        sigprocmask(SIG_BLOCK, &stop, &old_);
    }
    ~StopSignalsBlocked() { sigprocmask(SIG_SETMASK, &old_, nullptr); }
    StopSignalsBlocked(const StopSignalsBlocked&) = delete;
    StopSignalsBlocked& operator=(const StopSignalsBlocked&) = delete;

private:
    sigset_t old_;
};

// ---- Where the text goes

struct Target
{
    bool direct = false; // written in place: a device, FIFO, socket or a file behind /proc
    std::string path;    // for a replacement: the final path after following links
    bool exists = false;
    struct stat old = {};
};

// /dev/stdout and /proc/self/fd/N name open files, not paths: replacing the file they point to
// would leave the process's own stream writing to the old one.
bool linkLivesOnProc(const std::string& link)
{
#ifdef __linux__
    struct statfs fileSystem = {};
    return statfs(directoryOf(link).c_str(), &fileSystem) == 0 &&
           fileSystem.f_type == PROC_SUPER_MAGIC;
#else
    (void)link;
    return false;
#endif
}

int readLinkTarget(const std::string& link, std::string* target)
{
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t length = readlink(link.c_str(), buffer.data(), buffer.size());
        if (length < 0) {
            return errno;
        }
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            *target = buffer[0] == '/' ? buffer : directoryOf(link) + "/" + buffer;
            return 0;
        }
        buffer.resize(buffer.size() * 2);
    }
}

int resolveTarget(const std::string& path, Target* target)
{
    if (path.empty()) {
        return ENOENT;
    }
    std::string current = path;
    for (int links = 0; links <= 40; ++links) {
        struct stat status = {};
        if (lstat(current.c_str(), &status) != 0) {
            if (errno != ENOENT) {
                return errno;
            }
            target->path = current; // a new file, possibly the target of a dangling link
            return 0;
        }
        if (S_ISLNK(status.st_mode)) {
            if (linkLivesOnProc(current)) {
                target->direct = true;
                return 0;
            }
            if (const int error = readLinkTarget(current, &current)) {
                return error;
            }
            continue;
        }
        if (S_ISDIR(status.st_mode)) {
            return EISDIR;
        }
        target->direct = !S_ISREG(status.st_mode);
        target->path = current;
        target->exists = true;
        target->old = status;
        return 0;
    }
    return ELOOP;
}

// ---- Writing

int writeAll(int fd, std::string_view contents)
{
    const char* data = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        const ssize_t written = write(fd, data, std::min<std::size_t>(left, std::size_t{1} << 30));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (written == 0) {
            return EIO;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return 0;
}

int closeChecked(int fd, int error)
{
    if (close(fd) != 0 && error == 0 && errno != EINTR) {
        return errno;
    }
    return error;
}

int writeDirect(const std::string& path, std::string_view contents)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        return errno;
    }
    return closeChecked(fd, writeAll(fd, contents));
}

// A replacement keeps the old file's permission bits, and its owner and group where the
// process may give them (root may; others keep their own). A new file keeps 0666 less the umask.
int keepOwnerAndMode(int fd, const Target& target)
{
    if (!target.exists) {
        return 0;
    }
    if (fchown(fd, target.old.st_uid, target.old.st_gid) != 0) {
        (void)!fchown(fd, static_cast<uid_t>(-1), target.old.st_gid);
    }
    return fchmod(fd, target.old.st_mode & 07777) == 0 ? 0 : errno;
}

// Calls `create(name)` with random names beside the target until one is not taken; `create`
// returns 0 or errno. Gives the result, EEXIST only when every name tried was taken.
template <typename Create>
int createWithRandomName(const Target& target, std::string* name, Create create)
{
    const std::string prefix = directoryOf(target.path) + "/";
    int error = EEXIST;
    for (int attempt = 0; attempt < attemptsAtAName && error == EEXIST; ++attempt) {
        *name = randomTemporaryName(prefix);
        error = create(name->c_str());
    }
    return error;
}

// Gives `source` (a path that links to the written file) a random name beside the target and
// renames it over the target.
int linkAndRename(const char* source, const Target& target)
{
    StopSignalsBlocked blocked;
    std::string name;
    int error = createWithRandomName(target, &name, [&](const char* candidate) {
        return linkat(AT_FDCWD, source, AT_FDCWD, candidate, AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
    });
    if (error == 0 && rename(name.c_str(), target.path.c_str()) != 0) {
        error = errno;
        unlink(name.c_str());
    }
    return error;
}

// Stages the text in a file with a random name, which the stop signals' handler removes.
int replaceThroughNamedFile(const Target& target, std::string_view contents)
{
    const SignalHandlers cleanup(stopSignals, removeTemporaryAndDie, SA_RESETHAND);
    std::string name;
    int fd = -1;
    {
        StopSignalsBlocked blocked;
        const int error = createWithRandomName(target, &name, [&](const char* candidate) {
            fd = open(candidate, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            return fd >= 0 ? 0 : errno;
        });
        if (error != 0) {
            return error;
        }
        namedTemporary.store(name.c_str());
    }
    int error = writeAll(fd, contents);
    if (error == 0) {
        error = keepOwnerAndMode(fd, target);
    }
    error = closeChecked(fd, error);

    StopSignalsBlocked blocked;
    if (error == 0 && rename(name.c_str(), target.path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        unlink(name.c_str());
    }
    namedTemporary.store(nullptr);
    return error;
}

#ifdef O_TMPFILE
constexpr int unnamedFileRefused = -1;

// Names a complete unnamed file: a new output gets its name in one step (and never
// overwrites a file that appeared meanwhile), an existing one is replaced by a rename.
int nameUnnamedFile(int fd, const Target& target)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    int error = EEXIST;
    if (!target.exists) {
        error =
            linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.path.c_str(), AT_SYMLINK_FOLLOW) == 0
                ? 0
                : errno;
    }
    if (error == EEXIST) {
        error = linkAndRename(self.c_str(), target);
    }
    // Without /proc there is no way to name the file.
    return error == ENOENT && access("/proc/self/fd", X_OK) != 0 ? unnamedFileRefused : error;
}

// Stages the text in an unnamed file, so that even SIGKILL or a power loss leaves nothing.
// Returns unnamedFileRefused where the file system or a missing /proc refuses that.
int replaceThroughUnnamedFile(const Target& target, std::string_view contents)
{
    const int fd = open(directoryOf(target.path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) {
        // Kernels before 3.11 see O_DIRECTORY (EISDIR); some file systems say EOPNOTSUPP.
        return errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL ? unnamedFileRefused
                                                                         : errno;
    }
    int error = writeAll(fd, contents);
    if (error == 0) {
        error = keepOwnerAndMode(fd, target);
    }
    if (error == 0) {
        error = nameUnnamedFile(fd, target);
    }
    return closeChecked(fd, error);
}
#endif

int replaceFile(const Target& target, std::string_view contents, bool unnamedIfPossible)
{
#ifdef O_TMPFILE
    if (unnamedIfPossible) {
        const int error = replaceThroughUnnamedFile(target, contents);
        if (error != unnamedFileRefused) {
            return error;
        }
    }
#else
    (void)unnamedIfPossible;
#endif
    return replaceThroughNamedFile(target, contents);
}

bool writeFile(const std::string& path, std::string_view contents, std::string* reason,
               bool unnamedIfPossible)
{
    Target target;
    int error = resolveTarget(path, &target);
    if (error == 0) {
        const SignalHandlers ignored(limitSignals, SIG_IGN, 0);
        error = target.direct ? writeDirect(path, contents)
                              : replaceFile(target, contents, unnamedIfPossible);
    }
    if (error != 0) {
        *reason = std::strerror(error);
        return false;
    }
    return true;
}

} // namespace

bool writeFileReplacing(const std::string& path, std::string_view contents, std::string* reason)
{
    return writeFile(path, contents, reason, true);
}

bool writeFileReplacingThroughNamedFile(const std::string& path, std::string_view contents,
                                        std::string* reason)
{
    return writeFile(path, contents, reason, false);
}

} // namespace Quorl
