// POSIX: the output path is opened as a plain truncating write opens it, so the kernel follows
// its links and applies its checks; a regular file is then replaced by a complete new file in
// its folder that carries everything a plain write keeps, and anything else is written in place.
#include "file_output_posix.h"
#include "file_output.h"
#include "temporary_name.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quorl {
namespace {

// SIGTERM, SIGINT and SIGHUP (a CI timeout, Ctrl-C, a closed terminal) wait while a temporary
// file exists and end the run once it has gone, so that no stop leaves one behind.
struct StopSignalsHeld
{
    StopSignalsHeld()
    {
        sigset_t stop;
        sigemptyset(&stop);
        for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
            sigaddset(&stop, signalNumber);
        }
        sigprocmask(SIG_BLOCK, &stop, &old);
    }
    ~StopSignalsHeld() { sigprocmask(SIG_SETMASK, &old, nullptr); }
    sigset_t old;
};

// What a plain truncating write does to an open file, and a regular file flushed to disk.
// Truncated only now, so that the system drops what a plain write makes it drop (set-user-ID
// bits, file capabilities).
int writeTruncating(int fd, std::string_view contents)
{
    struct stat status = {};
    const bool regular = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    if (regular && ftruncate(fd, 0) != 0) {
        return errno;
    }
    while (!contents.empty()) {
        const ssize_t written =
            write(fd, contents.data(), std::min<std::size_t>(contents.size(), 1u << 30));
        if (written <= 0) {
            return written < 0 ? errno : EIO;
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return !regular || fsync(fd) == 0 ? 0 : errno;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Puts the text in place of `target` as a complete new file renamed over it, then flushes the
// folder (open as `folder`, if readable) so that the new name survives a power loss too. `old`
// is the regular file open as `from`, or null for a new output.
int replace(const std::string& target, int folder, int from, const struct stat* old,
            std::string_view contents)
{
    const StopSignalsHeld held;
    const std::string name = randomTemporaryName(folderOf(target) + "/");
    // Readable by us alone until it carries the old file's owner, group, mode, extended
    // attributes and flags; where one of them cannot be given, the old file is written in place.
    const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, old ? 0600 : 0666);
    if (fd < 0) {
        return errno;
    }
    int error = old != nullptr && (fchown(fd, old->st_uid, old->st_gid) != 0 ||
                                   fchmod(fd, old->st_mode & 07777) != 0 ||
                                   !posix::copyExtendedAttributes(from, fd))
                    ? EPERM
                    : writeTruncating(fd, contents);
    close(fd);
    if (error == 0 && rename(name.c_str(), target.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        unlink(name.c_str());
        return error;
    }
    return folder < 0 || fsync(folder) == 0 || errno == EINVAL ? 0 : errno;
}

struct Descriptor
{
    int fd;
    ~Descriptor() { close(fd); }
};

// The path to resolve again: it changed while it was resolved.
constexpr int changedMeanwhile = -1;
constexpr int inPlace = -2;

int writeOnce(const std::string& path, std::string_view contents)
{
    // What a plain write would write: the path, or where its final links lead.
    std::string target = path;
    bool openFileLink = false;
    int lookup = 0; // ENOENT when nothing is there, EINVAL for anything but a link
    std::string link(4096, '\0');
    for (int links = 0; links < 40; ++links) {
        const ssize_t length = readlink(target.c_str(), link.data(), link.size());
        if (length < 0 || (openFileLink = posix::holdsOpenFileLinks(folderOf(target)))) {
            lookup = length < 0 ? errno : 0;
            break;
        }
        const std::string to = link.substr(0, static_cast<std::size_t>(length));
        target = to[0] == '/' ? to : folderOf(target) + "/" + to;
    }
    const Descriptor folder{open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    const bool appendOnly = posix::isAppendOnlyFolder(folder.fd);
    if (lookup == ENOENT && target == path && path.back() != '/' && !appendOnly) {
        // Nothing there yet: the new file gets its name only once it is complete.
        return replace(path, folder.fd, -1, nullptr, contents);
    }
    const int fd =
        open(path.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC | (openFileLink ? O_TRUNC : 0),
             0666);
    if (fd < 0) {
        return errno;
    }
    struct stat old = {}, there = {};
    int error = fstat(fd, &old) == 0 ? inPlace : errno;
    if (error == inPlace && S_ISREG(old.st_mode) && !openFileLink && !appendOnly) {
        // Only the very file the kernel opened is replaced; a link whose target's path is too
        // long to name (ENAMETOOLONG) is written in place.
        const bool named = lstat(target.c_str(), &there) == 0;
        if (named ? there.st_dev != old.st_dev || there.st_ino != old.st_ino : errno == ENOENT) {
            error = changedMeanwhile;
        } else if (named) {
            error = replace(target, folder.fd, fd, &old, contents);
        }
    }
    // A folder closed to us, a sticky folder's foreign file, a mount point, something that
    // cannot be carried over: a plain write can still write the file.
    if (error == inPlace || error == EACCES || error == EPERM || error == EBUSY) {
        error = writeTruncating(fd, contents);
    }
    close(fd);
    return error;
}

} // namespace

bool writeFileReplacing(const std::string& path, std::string_view contents, std::string* reason)
{
    // A file-size limit and a reader that went away are reported as errors (EFBIG, EPIPE).
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    int error = path.empty() ? ENOENT : changedMeanwhile;
    for (int attempt = 0; attempt < 8 && error == changedMeanwhile; ++attempt) {
        error = writeOnce(path, contents);
    }
    error = error == changedMeanwhile ? EAGAIN : error;
    if (error != 0) {
        *reason = std::strerror(error);
        // A new file refused by its folder: the message names the folder.
        struct stat status = {};
        if ((error == EACCES || error == EPERM || error == EROFS) &&
            lstat(path.c_str(), &status) != 0 && errno == ENOENT) {
            *reason += " (folder " + folderOf(path) + ")";
        }
    }
    return error == 0;
}

} // namespace Quorl
