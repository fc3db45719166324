// POSIX: the kernel resolves the output path as for a plain truncating write, so its link
// protections and permission checks apply; a regular file is then replaced by a complete new
// file in its folder, and anything else is written in place.
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

// ---- Signals while writing

// The named temporary file that exists right now, in the folder namedTemporaryFolder, for the
// signal handler.
std::atomic<int> namedTemporaryFolder{-1};
std::atomic<const char*> namedTemporary{nullptr};

// SIGTERM, SIGINT and SIGHUP are how builds get stopped (a CI timeout, Ctrl-C, a closed
// terminal); the run still dies of them, but takes its named temporary file along.
constexpr int stopSignals[] = {SIGTERM, SIGINT, SIGHUP};
// A file-size limit and a reader that went away are reported as errors, not killing signals.
constexpr int limitSignals[] = {SIGXFSZ, SIGPIPE};

extern "C" void removeTemporaryAndDie(int signalNumber)
{
    if (const char* name = namedTemporary.load()) {
        unlinkat(namedTemporaryFolder.load(), name, 0);
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

// ---- Writing

// An errno value, and the folder when the failing step was one of the folder's.
struct Failure
{
    int error = 0;
    std::string folder;
};

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

// Writes the text and flushes it to disk, so that once the file has its name a power loss
// leaves the whole text there.
int writeDurably(int fd, std::string_view contents)
{
    const int error = writeAll(fd, contents);
    return error != 0 || fsync(fd) == 0 ? error : errno;
}

// A path and the folder it names a file in, split as the kernel splits it.
struct Place
{
    std::string folder;
    std::string name;
};

Place placeOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return {".", path};
    }
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// /dev/stdout and /proc/self/fd/N name open files, not paths: replacing the file they point to
// would leave the process's own stream writing to the old one. True when the path is such a
// link or leads through links to one; only where to write in place is decided from this, and
// the write itself is a plain open of the path.
bool leadsToProcLink(std::string path)
{
#ifdef __linux__
    for (int links = 0; links < 40; ++links) {
        struct stat status = {};
        if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return false;
        }
        const Place place = placeOf(path);
        struct statfs fileSystem = {};
        if (statfs(place.folder.c_str(), &fileSystem) == 0 &&
            fileSystem.f_type == PROC_SUPER_MAGIC) {
            return true;
        }
        char target[4096];
        const ssize_t length = readlink(path.c_str(), target, sizeof target);
        if (length <= 0 || static_cast<std::size_t>(length) == sizeof target) {
            return false;
        }
        path.assign(target, static_cast<std::size_t>(length));
        if (path[0] != '/') {
            path = place.folder + "/" + path;
        }
    }
#else
    (void)path;
#endif
    return false;
}

// A replacement keeps the old file's permission bits, and its owner and group where the
// process may give them (root may; others keep their own). A new file keeps 0666 less the umask.
int keepOwnerAndMode(int fd, const struct stat* old)
{
    if (old == nullptr) {
        return 0;
    }
    if (fchown(fd, old->st_uid, old->st_gid) != 0) {
        (void)!fchown(fd, static_cast<uid_t>(-1), old->st_gid);
    }
    return fchmod(fd, old->st_mode & 07777) == 0 ? 0 : errno;
}

// Calls `create(name)` with random names until one is not taken; `create` returns 0 or errno.
// Gives the result, EEXIST only when every name tried was taken.
template <typename Create> int createWithRandomName(std::string* name, Create create)
{
    int error = EEXIST;
    for (int attempt = 0; attempt < attemptsAtAName && error == EEXIST; ++attempt) {
        *name = randomTemporaryName("");
        error = create(name->c_str());
    }
    return error;
}

// The folder the new file goes to, with the name it gets there; `old` is the file it replaces,
// or null for a new one.
struct Destination
{
    int folder;
    std::string name;
    const struct stat* old;
};

// Gives the written file `fd` its name: a new output in one step (never overwriting a file
// that appeared meanwhile: EEXIST), an existing one by a link to a random name and a rename.
int nameUnnamedFile(int fd, const Destination& to)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (to.old == nullptr) {
        return linkat(AT_FDCWD, self.c_str(), to.folder, to.name.c_str(), AT_SYMLINK_FOLLOW) == 0
                   ? 0
                   : errno;
    }
    StopSignalsBlocked blocked;
    std::string name;
    int error = createWithRandomName(&name, [&](const char* candidate) {
        return linkat(AT_FDCWD, self.c_str(), to.folder, candidate, AT_SYMLINK_FOLLOW) == 0 ? 0
                                                                                            : errno;
    });
    if (error == 0 && renameat(to.folder, name.c_str(), to.folder, to.name.c_str()) != 0) {
        error = errno;
        unlinkat(to.folder, name.c_str(), 0);
    }
    return error;
}

// Where unnamed files cannot be had (no O_TMPFILE, or no /proc to name them by).
constexpr int unnamedFileRefused = -1;

// Stages the text in an unnamed file, so that even SIGKILL leaves nothing behind.
int replaceThroughUnnamedFile(const Destination& to, std::string_view contents)
{
#ifdef O_TMPFILE
    if (access("/proc/self/fd", X_OK) != 0) {
        return unnamedFileRefused;
    }
    const int fd = openat(to.folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0) {
        // Kernels before 3.11 see O_DIRECTORY (EISDIR); some file systems say EOPNOTSUPP.
        return errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL ? unnamedFileRefused
                                                                         : errno;
    }
    int error = writeDurably(fd, contents);
    if (error == 0) {
        error = keepOwnerAndMode(fd, to.old);
    }
    if (error == 0) {
        error = nameUnnamedFile(fd, to);
    }
    return closeChecked(fd, error);
#else
    (void)to;
    (void)contents;
    return unnamedFileRefused;
#endif
}

// Stages the text in a file with a random name, which the stop signals' handler removes.
int replaceThroughNamedFile(const Destination& to, std::string_view contents)
{
    const SignalHandlers cleanup(stopSignals, removeTemporaryAndDie, SA_RESETHAND);
    std::string name;
    int fd = -1;
    {
        StopSignalsBlocked blocked;
        const int error = createWithRandomName(&name, [&](const char* candidate) {
            fd = openat(to.folder, candidate, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            return fd >= 0 ? 0 : errno;
        });
        if (error != 0) {
            return error;
        }
        namedTemporaryFolder.store(to.folder);
        namedTemporary.store(name.c_str());
    }
    int error = writeDurably(fd, contents);
    if (error == 0) {
        error = keepOwnerAndMode(fd, to.old);
    }
    error = closeChecked(fd, error);

    StopSignalsBlocked blocked;
    if (error == 0 && renameat(to.folder, name.c_str(), to.folder, to.name.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        unlinkat(to.folder, name.c_str(), 0);
    }
    namedTemporary.store(nullptr);
    return error;
}

int replace(const Destination& to, std::string_view contents, bool unnamedIfPossible)
{
    if (unnamedIfPossible) {
        const int error = replaceThroughUnnamedFile(to, contents);
        if (error != unnamedFileRefused) {
            return error;
        }
    }
    return replaceThroughNamedFile(to, contents);
}

// What a plain truncating write of an open file does.
int writeInPlace(int fd, std::string_view contents)
{
    struct stat status = {};
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && ftruncate(fd, 0) != 0) {
        return errno;
    }
    return writeAll(fd, contents);
}

// How often a path that changes while it is resolved is resolved again.
constexpr int resolutions = 8;
// Resolve the path again.
constexpr int changedMeanwhile = -2;

// A path where nothing is yet: the new file gets its name only once it is complete.
Failure writeNewFile(const std::string& path, std::string_view contents, bool unnamedIfPossible)
{
    const Place place = placeOf(path);
    const int folder = open(place.folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        return Failure{errno, {}};
    }
    const int error =
        replace(Destination{folder, place.name, nullptr}, contents, unnamedIfPossible);
    close(folder);
    if (error == EEXIST) {
        return Failure{changedMeanwhile, {}};
    }
    // The path resolved; what failed was making a file in the folder.
    const bool folderRefused = error == EACCES || error == EPERM || error == EROFS;
    return Failure{error, folderRefused ? place.folder : std::string()};
}

// The regular file open as `fd` (opened through `path`), replaced in its folder; written in
// place where a plain write may write it but no replacement can be made there.
Failure replaceOpenFile(const std::string& path, bool throughLink, int fd,
                        std::string_view contents, bool unnamedIfPossible)
{
    struct stat old = {};
    if (fstat(fd, &old) != 0) {
        return Failure{errno, {}};
    }
    // The file as the kernel found it; a link is not followed again by hand.
    std::string target = path;
    if (throughLink) {
        char resolved[4096];
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        const ssize_t length = readlink(self.c_str(), resolved, sizeof resolved);
        if (length <= 0 || static_cast<std::size_t>(length) == sizeof resolved ||
            resolved[0] != '/') {
            return Failure{writeInPlace(fd, contents), {}}; // no /proc to ask
        }
        target.assign(resolved, static_cast<std::size_t>(length));
    }
    const Place place = placeOf(target);
    const int folder = open(place.folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    struct stat there = {};
    if (folder < 0 || fstatat(folder, place.name.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0 ||
        there.st_dev != old.st_dev || there.st_ino != old.st_ino) {
        if (folder >= 0) {
            close(folder);
        }
        return Failure{changedMeanwhile, {}};
    }
    int error = replace(Destination{folder, place.name, &old}, contents, unnamedIfPossible);
    close(folder);
    // A folder closed to us, a sticky folder's foreign file, a mount point: the replacement
    // cannot be made, but a plain write can.
    if (error == EACCES || error == EPERM || error == EBUSY || error == EROFS) {
        error = writeInPlace(fd, contents);
    }
    return Failure{error, {}};
}

Failure writeOnce(const std::string& path, std::string_view contents, bool unnamedIfPossible)
{
    const bool toProcLink = leadsToProcLink(path);
    struct stat status = {};
    if (!toProcLink && lstat(path.c_str(), &status) != 0) {
        return errno == ENOENT ? writeNewFile(path, contents, unnamedIfPossible)
                               : Failure{errno, {}};
    }
    // Opened as a plain write opens it, but not yet truncated: the kernel follows the links and
    // applies its checks (link protection, permissions, folders, sockets) exactly as for one.
    const int fd = open(
        path.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC | (toProcLink ? O_TRUNC : 0), 0666);
    if (fd < 0) {
        return Failure{errno, {}};
    }
    struct stat opened = {};
    Failure failure;
    if (fstat(fd, &opened) != 0) {
        failure.error = errno;
    } else if (toProcLink || !S_ISREG(opened.st_mode)) {
        failure.error = writeInPlace(fd, contents);
    } else {
        failure = replaceOpenFile(path, S_ISLNK(status.st_mode), fd, contents, unnamedIfPossible);
    }
    failure.error = closeChecked(fd, failure.error);
    return failure;
}

bool writeFile(const std::string& path, std::string_view contents, std::string* reason,
               bool unnamedIfPossible)
{
    const SignalHandlers ignored(limitSignals, SIG_IGN, 0);
    Failure failure{path.empty() ? ENOENT : changedMeanwhile, {}};
    for (int attempt = 0; attempt < resolutions && failure.error == changedMeanwhile; ++attempt) {
        failure = writeOnce(path, contents, unnamedIfPossible);
    }
    if (failure.error == changedMeanwhile) {
        failure.error = EAGAIN;
    }
    if (failure.error != 0) {
        *reason = std::strerror(failure.error);
        if (!failure.folder.empty()) {
            *reason += " (folder " + failure.folder + ")";
        }
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
