#include "platform.h"

#include <algorithm>
#include <cerrno>
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

MemoryUse memoryLimits()
{
    MemoryUse limits;
    limits.resident = controlGroupLimit("/proc/self/cgroup", "/sys/fs/cgroup");
    limits.mapped = UINTMAX_MAX;
#ifdef _SC_PHYS_PAGES
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) {
        limits.resident = std::min(limits.resident, static_cast<std::uintmax_t>(pages) *
                                                        static_cast<std::uintmax_t>(pageSize));
    }
#endif
    struct rlimit addressSpace = {};
    if (getrlimit(RLIMIT_AS, &addressSpace) == 0 && addressSpace.rlim_cur != RLIM_INFINITY) {
        limits.mapped = static_cast<std::uintmax_t>(addressSpace.rlim_cur);
    }
    return limits;
}

MemoryUse memoryInUse()
{
    // Linux's count of the process's pages; elsewhere the most it has held, which is no less.
    MemoryUse use;
    std::uintmax_t mappedPages = 0;
    std::uintmax_t residentPages = 0;
    if (std::ifstream("/proc/self/statm") >> mappedPages >> residentPages) {
        const auto page = static_cast<std::uintmax_t>(sysconf(_SC_PAGESIZE));
        use.mapped = mappedPages * page;
        use.resident = residentPages * page;
    } else if (struct rusage usage = {}; getrusage(RUSAGE_SELF, &usage) == 0) {
        use.resident = use.mapped = static_cast<std::uintmax_t>(usage.ru_maxrss) * 1024;
    }
    return use;
}

} // namespace Quorl
