// POSIX: the output path is resolved once, its folder held open, and every later step works
// relative to that folder or on the file's own descriptor. The file is opened as a plain
// truncating write opens it, so the kernel follows its links and applies its checks; a regular
// file is then replaced by a complete new file that carries everything a plain write keeps, and
// anything else is written in place. The steps: resolve, stage, publish.
#include "file_output_posix.h"
#include "file_output.h"
#include "temporary_name.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quorl {

void (*posix::afterResolving)() = nullptr;

namespace {

// What a step came to: done; failed, with the system's `error`; the path changed while it was
// resolved, so it is resolved again; or a file that cannot be replaced, written in place.
struct Result
{
    enum Kind { done, failed, resolveAgain, inPlace } kind = done;
    int error = 0;

    static Result failure(int error) { return {failed, error}; }
    bool ok() const { return kind == done; }
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

// Signals that would end the run (a CI timeout, Ctrl-C, a closed terminal) wait while a staging
// file exists and end it once that has gone, so that only SIGKILL can leave one behind.
struct SignalsHeld
{
    SignalsHeld() { posix::holdSignals(&old); }
    ~SignalsHeld() { posix::releaseSignals(&old); }
    sigset_t old;
};

// What a plain truncating write does to an open file, and a regular file flushed to disk.
// Truncated only now, so that the system drops what a plain write makes it drop (set-user-ID
// bits, file capabilities).
Result writeTruncating(int fd, std::string_view contents)
{
    struct stat status = {};
    const bool regular = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    if (regular && ftruncate(fd, 0) != 0) {
        return Result::failure(errno);
    }
    while (!contents.empty()) {
        const ssize_t written =
            write(fd, contents.data(), std::min<std::size_t>(contents.size(), 1u << 30));
        if (written <= 0) {
            return Result::failure(written < 0 ? errno : EIO);
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return !regular || fsync(fd) == 0 ? Result() : Result::failure(errno);
}

bool sameFile(const struct stat& one, const struct stat& other)
{
    return one.st_ino == other.st_ino && one.st_dev == other.st_dev;
}

// Whether `name` in `folder` is a regular file itself (no link) holding exactly `text`; looking
// never waits on a FIFO and never opens a device.
bool holdsText(int folder, const std::string& name, std::string_view text)
{
    struct stat named = {};
    struct stat status = {};
    if (fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(named.st_mode)) {
        return false;
    }
    const Descriptor fd{
        openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)};
    bool same = fd.fd >= 0 && fstat(fd.fd, &status) == 0 && sameFile(status, named) &&
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

// A file being made: its descriptor, and its name where it has one.
struct Staging
{
    Descriptor file;
    std::string name;
};

// Where a plain write of the path would write: the name in the path's folder, or where its final
// links lead, each followed from the folder of the link itself.
struct Target
{
    Descriptor start; // the path's own folder and name in it
    std::string startName;
    Descriptor linked; // the folder that the last link followed leads to
    int folder = -1;   // `start` or `linked`, and the name in it
    std::string name;
    bool missing = false;      // nothing is there
    bool openFileLink = false; // a link that stands for an open file (/dev/stdout)
    bool resolved = true;      // false where a link's folder could not be opened
};

Result resolve(const std::string& path, Target* target)
{
    if (path.back() == '/') {
        return Result::failure(EISDIR);
    }
    target->start.fd = target->folder = posix::openFolder(AT_FDCWD, folderOf(path).c_str());
    if (target->start.fd < 0) {
        return Result::failure(errno);
    }
    target->startName = target->name = nameOf(path);
    std::string link(4096, '\0');
    for (int links = 0; links < 40 && target->resolved; ++links) {
        const ssize_t length =
            readlinkat(target->folder, target->name.c_str(), link.data(), link.size());
        target->missing = length < 0 && errno == ENOENT;
        if (length < 0 || (target->openFileLink = posix::holdsOpenFileLinks(target->folder))) {
            break;
        }
        const std::string to = link.substr(0, static_cast<std::size_t>(length));
        const int next =
            posix::openFolder(to[0] == '/' ? AT_FDCWD : target->folder, folderOf(to).c_str());
        // Where it fails, the kernel's open says why, or the file is written in place.
        target->resolved = next >= 0 && to.back() != '/';
        if (target->linked.fd >= 0) {
            close(target->linked.fd);
        }
        target->linked.fd = target->folder = next;
        target->name = nameOf(to);
    }
    return {};
}

// A new file in the target's folder that holds the text and, where `old` describes the file it
// replaces (`from`), carries its owner, group, ACL, attributes and mode. It has no name where the
// system makes unnamed files; elsewhere it is named at once, open to its owner alone until its
// access is final. It is locked for its whole life, so no other run takes it for a stale one.
Result stage(int folder, int from, const struct stat* old, std::string_view contents,
             Staging* staging)
{
    const unsigned mode = old ? 0600 : 0666;
    staging->file.fd = posix::openUnnamed(folder, mode);
    if (staging->file.fd < 0) {
        staging->name = randomTemporaryName();
        staging->file.fd =
            openat(folder, staging->name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (staging->file.fd < 0) {
            staging->name.clear();
            return Result::failure(errno);
        }
    }
    flock(staging->file.fd, LOCK_EX);
    // The ACL before the mode: the mode's group bits stand for the ACL's mask, not the group.
    if (old != nullptr && (fchown(staging->file.fd, old->st_uid, old->st_gid) != 0 ||
                           !posix::copyExtendedAttributes(from, staging->file.fd) ||
                           fchmod(staging->file.fd, old->st_mode & 07777) != 0)) {
        return {Result::inPlace};
    }
    return writeTruncating(staging->file.fd, contents);
}

// Gives the staged file the name, then flushes the folder so that the name survives a power
// loss too. A new output takes its name directly; a replacement's name exists only until the
// rename, the one moment a kill can leave it behind.
Result publish(int folder, const std::string& name, Staging* staging, bool replacing)
{
    if (staging->name.empty()) {
        const std::string as = replacing ? randomTemporaryName() : name;
        if (!posix::nameUnnamed(staging->file.fd, folder, as.c_str())) {
            return errno == EEXIST && !replacing ? Result{Result::resolveAgain}
                                                 : Result::failure(errno);
        }
        staging->name = replacing ? as : std::string();
    }
    if (!staging->name.empty() &&
        renameat(folder, staging->name.c_str(), folder, name.c_str()) != 0) {
        // Gone: another run took it for stale in the moment before it was locked.
        return errno == ENOENT ? Result{Result::resolveAgain} : Result::failure(errno);
    }
    staging->name.clear();
    const Descriptor flushed{openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    return flushed.fd < 0 || fsync(flushed.fd) == 0 || errno == EINVAL ? Result()
                                                                       : Result::failure(errno);
}

// Removes the staging files that killed runs left in `folder`: names of ours whose files no
// writer holds locked.
void removeStale(int folder)
{
    DIR* const listing = fdopendir(openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    while (const dirent* entry = listing != nullptr ? readdir(listing) : nullptr) {
        if (!isTemporaryName(entry->d_name)) {
            continue;
        }
        const Descriptor fd{openat(folder, entry->d_name,
                                   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
        struct stat held = {};
        struct stat named = {};
        if (fd.fd >= 0 && flock(fd.fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd.fd, &held) == 0 &&
            fstatat(folder, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(held.st_mode) && sameFile(held, named)) {
            unlinkat(folder, entry->d_name, 0);
        }
    }
    if (listing != nullptr) {
        closedir(listing);
    }
}

// Puts the text in place of `name` in `folder` as a complete new file (stage, publish).
Result replace(int folder, const std::string& name, int from, const struct stat* old,
               std::string_view contents)
{
    const SignalsHeld held;
    removeStale(folder); // first, for the room they take
    Staging staging;
    Result result = stage(folder, from, old, contents, &staging);
    if (result.ok()) {
        result = publish(folder, name, &staging, old != nullptr);
    }
    if (!staging.name.empty()) {
        unlinkat(folder, staging.name.c_str(), 0);
    }
    return result;
}

// The file the kernel opens for a plain write of the path, replaced where it is a regular file
// that can be, else written in place.
Result writeOpened(const Target& target, std::string_view contents, bool appendOnly)
{
    const Descriptor fd{openat(
        target.start.fd, target.startName.c_str(),
        O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC | (target.openFileLink ? O_TRUNC : 0), 0666)};
    struct stat old = {};
    if (fd.fd < 0 || fstat(fd.fd, &old) != 0) {
        return Result::failure(errno);
    }
    Result result{Result::inPlace};
    if (S_ISREG(old.st_mode) && !target.openFileLink && !appendOnly && target.resolved) {
        // Only the very file the kernel opened is replaced, in the folder that holds it.
        struct stat there = {};
        const bool same =
            fstatat(target.folder, target.name.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
            sameFile(there, old);
        result = same ? replace(target.folder, target.name, fd.fd, &old, contents)
                      : Result{Result::resolveAgain};
    }
    // A folder closed to us, a sticky folder's foreign file, a mount point, something that
    // cannot be carried over: a plain write can still write the file.
    const int error = result.error;
    if (result.kind == Result::inPlace ||
        (result.kind == Result::failed && (error == EACCES || error == EPERM || error == EBUSY))) {
        result = writeTruncating(fd.fd, contents);
    }
    return result;
}

// `newFile`: whether nothing was at the path, so that a refusal is the folder's.
Result writeOnce(const std::string& path, std::string_view contents, SameText sameText,
                 bool* newFile)
{
    *newFile = false;
    Target target;
    Result result = resolve(path, &target);
    if (!result.ok() ||
        (sameText == SameText::leave && holdsText(target.start.fd, target.startName, contents))) {
        return result;
    }
    if (posix::afterResolving != nullptr) {
        posix::afterResolving();
    }
    const bool appendOnly = posix::isAppendOnlyFolder(target.folder);
    *newFile = target.missing && target.folder == target.start.fd;
    if (*newFile && !appendOnly) {
        // Nothing there yet: the new file gets its name only once it is complete.
        return replace(target.folder, target.name, -1, nullptr, contents);
    }
    return writeOpened(target, contents, appendOnly);
}

} // namespace

bool writeFileReplacing(const std::string& path, std::string_view contents, std::string* reason,
                        SameText sameText)
{
    // A file-size limit and a reader that went away are reported as errors (EFBIG, EPIPE).
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
    Result result = Result::failure(ENOENT);
    bool newFile = false;
    for (int attempt = 0; attempt < 8 && !path.empty(); ++attempt) {
        result = writeOnce(path, contents, sameText, &newFile);
        if (result.kind != Result::resolveAgain) {
            break;
        }
    }
    if (result.ok()) {
        return true;
    }
    const int error = result.kind == Result::resolveAgain ? EAGAIN : result.error;
    *reason = std::strerror(error);
    // A new file refused by its folder: the message names the folder.
    if (newFile && (error == EACCES || error == EPERM || error == EROFS)) {
        *reason += " (folder " + folderOf(path) + ")";
    }
    return false;
}

} // namespace Quorl
