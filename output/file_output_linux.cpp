// Linux's answers to file_output_posix.h.
#include "file_output_posix.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/vfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace Quorl::posix {
namespace {

// The most an attribute's value or a file's list of names takes (XATTR_SIZE_MAX, _LIST_MAX).
constexpr std::size_t attributeLimit = 65536;

// The names of the extended attributes of `fd`, each ended by a NUL.
bool attributeNames(int fd, std::string* names)
{
    names->resize(flistxattr(fd, nullptr, 0) > 0 ? attributeLimit : 0); // most files have none
    const ssize_t size = flistxattr(fd, names->data(), names->size());
    names->resize(static_cast<std::size_t>(std::max<ssize_t>(size, 0)));
    return size >= 0 || errno == ENOTSUP; // a file system without them
}

// Calls `use(name)` for each name of the list until it returns false.
template <typename Use> bool forEachName(const std::string& names, Use use)
{
    for (const char* name = names.c_str(); name < names.c_str() + names.size();
         name += std::strlen(name) + 1) {
        if (!use(name)) {
            return false;
        }
    }
    return true;
}

int fileFlags(int fd)
{
    int flags = 0;
    return ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 ? flags : 0;
}

} // namespace

int openFolder(int at, const char* path)
{
    const int fd = openat(at, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return fd >= 0 || errno != EACCES ? fd : openat(at, path, O_PATH | O_DIRECTORY | O_CLOEXEC);
}

bool holdsOpenFileLinks(int fd)
{
    struct statfs fileSystem = {};
    return fstatfs(fd, &fileSystem) == 0 && fileSystem.f_type == PROC_SUPER_MAGIC;
}

int openUnnamed(int folder, unsigned mode)
{
    return openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
}

bool nameUnnamed(int fd, int folder, const char* name)
{
    // Through /proc as anyone may; without /proc, as only a privileged process may.
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return linkat(AT_FDCWD, self.c_str(), folder, name, AT_SYMLINK_FOLLOW) == 0 ||
           (errno == ENOENT && linkat(fd, "", folder, name, AT_EMPTY_PATH) == 0);
}

void holdSignals(sigset_t* old)
{
    // The kernel's mask, in the words that glibc's sigset_t begins with.
    const sigset_t all = []() {
        sigset_t set;
        std::memset(&set, 0xFF, sizeof set);
        return set;
    }();
    syscall(SYS_rt_sigprocmask, SIG_BLOCK, &all, old, _NSIG / 8);
}

void releaseSignals(const sigset_t* old)
{
    syscall(SYS_rt_sigprocmask, SIG_SETMASK, old, nullptr, _NSIG / 8);
}

bool isAppendOnlyFolder(int fd)
{
    return (fileFlags(fd) & FS_APPEND_FL) != 0;
}

bool copyExtendedAttributes(int from, int to)
{
    std::string names;
    std::string present;
    std::string value;
    const auto isLabel = [](const char* name) { return std::strncmp(name, "security.", 9) == 0; };
    const auto isPresent = [&](const char* name) {
        return !forEachName(present, [&](const char* other) { return std::strcmp(name, other); });
    };
    const auto set = [&](const char* name) {
        value.resize(attributeLimit);
        const ssize_t size = fgetxattr(from, name, value.data(), value.size());
        return (size >= 0 &&
                fsetxattr(to, name, value.data(), static_cast<std::size_t>(size), 0) == 0) ||
               (isLabel(name) && isPresent(name));
    };
    // What the new file got from its folder (a default ACL, say) goes first; a name that is
    // gone already went with another (xfs shows an ACL under two names).
    const auto remove = [&](const char* name) {
        return isLabel(name) || fremovexattr(to, name) == 0 || errno == ENODATA;
    };
    const int wanted = fileFlags(from) & FS_FL_USER_MODIFIABLE;
    int flags = (fileFlags(to) & ~FS_FL_USER_MODIFIABLE) | wanted;
    return (wanted & (FS_IMMUTABLE_FL | FS_APPEND_FL)) == 0 && attributeNames(from, &names) &&
           attributeNames(to, &present) && forEachName(present, remove) &&
           forEachName(names, set) &&
           ((fileFlags(to) & FS_FL_USER_MODIFIABLE) == wanted ||
            (ioctl(to, FS_IOC_SETFLAGS, &flags) == 0 &&
             (fileFlags(to) & FS_FL_USER_MODIFIABLE) == wanted));
}

} // namespace Quorl::posix
