// POSIX: the output path is resolved once, its folder held open, and every later step works
// relative to that folder or on the file's own descriptor. The file is opened as a plain
// truncating write opens it, so the kernel follows its links and applies its checks; a regular
// file is then replaced by a complete new file that carries everything a plain write keeps, and
// anything else is written in place.
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

void (*posix::afterResolving)() = nullptr;

namespace {

// Signals that would end the run (a CI timeout, Ctrl-C, a closed terminal) wait while a staging
// file exists and end it once that has gone, so that only SIGKILL can leave one behind.
struct StopSignalsHeld
{
    StopSignalsHeld()
    {
        sigset_t all;
        sigfillset(&all);
        sigprocmask(SIG_BLOCK, &all, &old);
    }
    ~StopSignalsHeld() { sigprocmask(SIG_SETMASK, &old, nullptr); }
    sigset_t old;
};

struct Descriptor
{
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0) {
            close(fd);
        }
    }
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

// Whether the regular file `name` in `folder`, the very file `old` describes, holds `text`.
bool holdsText(int folder, const char* name, const struct stat& old, std::string_view text)
{
    const Descriptor fd{openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)};
    struct stat status = {};
    bool same = fd.fd >= 0 && fstat(fd.fd, &status) == 0 && status.st_ino == old.st_ino &&
                status.st_dev == old.st_dev &&
                static_cast<std::size_t>(status.st_size) == text.size();
    char buffer[1 << 16];
    while (same && !text.empty()) {
        const ssize_t got = read(fd.fd, buffer, std::min(sizeof buffer, text.size()));
        same = got > 0 && std::memcmp(buffer, text.data(), static_cast<std::size_t>(got)) == 0;
        text.remove_prefix(same ? static_cast<std::size_t>(got) : 0);
    }
    return same;
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

// The path to resolve again: it changed while it was resolved.
constexpr int changedMeanwhile = -1;
constexpr int inPlace = -2;

// Puts the text in place of `name` in `folder` as a complete new file, then flushes the folder
// so that the new name survives a power loss too. `from` is the regular file that `old`
// describes, or -1 for a new output. The new file is unnamed until its owner, group, ACL,
// attributes and mode are final; where the system makes no unnamed files, it is named at once
// but closed to all until then.
int replace(int folder, const std::string& name, int from, const struct stat* old,
            std::string_view contents)
{
    const StopSignalsHeld held;
    const unsigned mode = old ? 0 : 0666;
    std::string staging;
    Descriptor fd{posix::openUnnamed(folder, mode)};
    if (fd.fd < 0) {
        staging = randomTemporaryName();
        fd.fd = openat(folder, staging.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd.fd < 0) {
            return errno;
        }
    }
    // The ACL before the mode: the mode's group bits stand for the ACL's mask, not the group.
    int error = old != nullptr && (fchown(fd.fd, old->st_uid, old->st_gid) != 0 ||
                                   !posix::copyExtendedAttributes(from, fd.fd) ||
                                   fchmod(fd.fd, old->st_mode & 07777) != 0)
                    ? EPERM
                    : writeTruncating(fd.fd, contents);
    if (error == 0 && staging.empty()) {
        // A new output takes its name directly; a replacement's name exists only until the
        // rename, the one moment a kill can leave it behind.
        staging = old ? randomTemporaryName() : name;
        error = posix::nameUnnamed(fd.fd, folder, staging.c_str()) ? 0 : errno;
        error = error == EEXIST && !old ? changedMeanwhile : error;
        staging = error == 0 && old ? staging : std::string();
    }
    if (error == 0 && !staging.empty() &&
        renameat(folder, staging.c_str(), folder, name.c_str()) != 0) {
        error = errno;
    }
    if (error != 0 && !staging.empty()) {
        unlinkat(folder, staging.c_str(), 0);
    }
    if (error != 0) {
        return error;
    }
    const Descriptor flushed{openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    return flushed.fd < 0 || fsync(flushed.fd) == 0 || errno == EINVAL ? 0 : errno;
}

// `newFile`: whether nothing was at the path, so that a refusal is the folder's.
int writeOnce(const std::string& path, std::string_view contents, SameText sameText, bool* newFile)
{
    *newFile = false;
    if (path.back() == '/') {
        return EISDIR;
    }
    const Descriptor start{posix::openFolder(AT_FDCWD, folderOf(path).c_str())};
    if (start.fd < 0) {
        return errno;
    }
    const std::string startName = nameOf(path);
    struct stat old = {};
    if (sameText == SameText::leave &&
        fstatat(start.fd, startName.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(old.st_mode) && holdsText(start.fd, startName.c_str(), old, contents)) {
        return 0;
    }

    // Where a plain write would write: the name, or where its final links lead, each followed
    // from the folder of the link itself.
    Descriptor other;
    int folder = start.fd;
    std::string name = startName;
    bool openFileLink = false;
    bool resolved = true;
    int lookup = 0; // ENOENT when nothing is there, EINVAL for anything but a link
    std::string link(4096, '\0');
    for (int links = 0; links < 40 && resolved; ++links) {
        const ssize_t length = readlinkat(folder, name.c_str(), link.data(), link.size());
        if (length < 0 || (openFileLink = posix::holdsOpenFileLinks(folder))) {
            lookup = length < 0 ? errno : 0;
            break;
        }
        const std::string to = link.substr(0, static_cast<std::size_t>(length));
        const int next = posix::openFolder(to[0] == '/' ? AT_FDCWD : folder, folderOf(to).c_str());
        // Where it fails, the kernel's open below says why, or the file is written in place.
        resolved = next >= 0 && to.back() != '/';
        if (other.fd >= 0) {
            close(other.fd);
        }
        other.fd = folder = next;
        name = nameOf(to);
    }
    if (posix::afterResolving != nullptr) {
        posix::afterResolving();
    }
    const bool appendOnly = posix::isAppendOnlyFolder(folder);
    *newFile = lookup == ENOENT && folder == start.fd;
    if (*newFile && !appendOnly) {
        // Nothing there yet: the new file gets its name only once it is complete.
        return replace(folder, name, -1, nullptr, contents);
    }
    const Descriptor fd{
        openat(start.fd, startName.c_str(),
               O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC | (openFileLink ? O_TRUNC : 0), 0666)};
    if (fd.fd < 0) {
        return errno;
    }
    struct stat there = {};
    int error = fstat(fd.fd, &old) == 0 ? inPlace : errno;
    if (error == inPlace && S_ISREG(old.st_mode) && !openFileLink && !appendOnly && resolved) {
        // Only the very file the kernel opened is replaced, in the folder that holds it.
        if (fstatat(folder, name.c_str(), &there, AT_SYMLINK_NOFOLLOW) != 0 ||
            there.st_dev != old.st_dev || there.st_ino != old.st_ino) {
            error = changedMeanwhile;
        } else {
            error = replace(folder, name, fd.fd, &old, contents);
        }
    }
    // A folder closed to us, a sticky folder's foreign file, a mount point, something that
    // cannot be carried over: a plain write can still write the file.
    if (error == inPlace || error == EACCES || error == EPERM || error == EBUSY) {
        error = writeTruncating(fd.fd, contents);
    }
    return error;
}

} // namespace

bool writeFileReplacing(const std::string& path, std::string_view contents, std::string* reason,
                        SameText sameText)
{
    // A file-size limit and a reader that went away are reported as errors (EFBIG, EPIPE).
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    int error = path.empty() ? ENOENT : changedMeanwhile;
    bool newFile = false;
    for (int attempt = 0; attempt < 8 && error == changedMeanwhile; ++attempt) {
        error = writeOnce(path, contents, sameText, &newFile);
    }
    error = error == changedMeanwhile ? EAGAIN : error;
    if (error != 0) {
        *reason = std::strerror(error);
        // A new file refused by its folder: the message names the folder.
        if (newFile && (error == EACCES || error == EPERM || error == EROFS)) {
            *reason += " (folder " + folderOf(path) + ")";
        }
    }
    return error == 0;
}

} // namespace Quorl
