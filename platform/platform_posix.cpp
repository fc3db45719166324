#include "platform.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

#include <sys/mman.h>
#include <sys/resource.h>
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

namespace {

// The least memory limit of the process's control groups and their parents, version 2
// ("0::<group>") and version 1 ("<n>:memory:<group>"); on systems without them the files are
// not there.
std::uintmax_t controlGroupLimit()
{
    std::uintmax_t least = UINTMAX_MAX;
    std::ifstream groups("/proc/self/cgroup");
    for (std::string line; std::getline(groups, line);) {
        const std::size_t first = line.find(':');
        const std::size_t second = line.find(':', first + 1);
        if (second == std::string::npos) {
            continue;
        }
        const std::string controllers = "," + line.substr(first + 1, second - first - 1) + ",";
        std::vector<std::string> files;
        if (controllers == ",,") {
            files = {"/sys/fs/cgroup/@/memory.max", "/sys/fs/cgroup/unified/@/memory.max"};
        } else if (controllers.find(",memory,") != std::string::npos) {
            files = {"/sys/fs/cgroup/memory/@/memory.limit_in_bytes"};
        }
        for (std::string group = line.substr(second + 1); !files.empty();
             group = group.substr(0, group.rfind('/'))) {
            for (std::string file : files) {
                std::uintmax_t limit = UINTMAX_MAX;
                std::ifstream(file.replace(file.find('@'), 1, group)) >> limit; // "max": none
                least = std::min(least, limit);
            }
            if (group.empty()) {
                break;
            }
        }
    }
    return least;
}

} // namespace

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

std::uintmax_t memoryLimit()
{
    static const std::uintmax_t groupLimit = controlGroupLimit(); // read once a run
    std::uintmax_t least = groupLimit;
#ifdef _SC_PHYS_PAGES
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) {
        least = std::min(least, static_cast<std::uintmax_t>(pages) *
                                    static_cast<std::uintmax_t>(pageSize));
    }
#endif
    struct rlimit addressSpace = {};
    if (getrlimit(RLIMIT_AS, &addressSpace) == 0 && addressSpace.rlim_cur != RLIM_INFINITY) {
        least = std::min(least, static_cast<std::uintmax_t>(addressSpace.rlim_cur));
    }
    return least;
}

} // namespace Quorl
