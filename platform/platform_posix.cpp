#include "platform.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fstream>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quorl {

std::FILE* openFile(const std::string& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}

std::uintmax_t sizeOfOpenFile(std::FILE* file)
{
    struct stat status = {};
    return fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode)
               ? static_cast<std::uintmax_t>(status.st_size)
               : 0;
}

std::filesystem::path fileSystemPath(const std::string& path)
{
    return path;
}

bool touchFile(const std::string& path, std::string* reason)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0666);
    const int openError = errno;
    const bool touched =
        fd >= 0 ? futimens(fd, nullptr) == 0 : utimensat(AT_FDCWD, path.c_str(), nullptr, 0) == 0;
    if (!touched) {
        *reason = std::strerror(fd >= 0 ? errno : openError);
    }
    if (fd >= 0) {
        close(fd);
    }
    return touched;
}

void adviseHugePages(const std::string& text)
{
#ifdef MADV_HUGEPAGE
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto start = (reinterpret_cast<std::uintptr_t>(text.data()) + page - 1) / page * page;
    const auto end = reinterpret_cast<std::uintptr_t>(text.data()) + text.capacity();
    if (end > start + (std::uintptr_t{2} << 20)) {
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    }
#else
    (void)text;
#endif
}

namespace {

// What the machine can still give without swapping (Linux's MemAvailable), else all it has.
std::uintmax_t machineAvailable()
{
    std::ifstream meminfo("/proc/meminfo");
    for (std::string key; meminfo >> key;) {
        std::uintmax_t kilobytes = 0;
        if (key == "MemAvailable:" && meminfo >> kilobytes) {
            return kilobytes * 1024;
        }
        meminfo.ignore(INT_MAX, '\n');
    }
    return static_cast<std::uintmax_t>(sysconf(_SC_PHYS_PAGES)) *
           static_cast<std::uintmax_t>(sysconf(_SC_PAGESIZE));
}

} // namespace

MemoryRoom memoryRoom()
{
    MemoryRoom room;
    room.resident =
        std::min(machineAvailable(), controlGroupRoom("/proc/self/cgroup", "/sys/fs/cgroup"));
    struct rlimit addressSpace = {};
    std::uintmax_t mappedPages = 0;
    if (getrlimit(RLIMIT_AS, &addressSpace) == 0 && addressSpace.rlim_cur != RLIM_INFINITY &&
        std::ifstream("/proc/self/statm") >> mappedPages) {
        const auto limit = static_cast<std::uintmax_t>(addressSpace.rlim_cur);
        const auto mapped = mappedPages * static_cast<std::uintmax_t>(sysconf(_SC_PAGESIZE));
        room.mapped = limit - std::min(limit, mapped);
    }
    return room;
}

} // namespace Quorl
