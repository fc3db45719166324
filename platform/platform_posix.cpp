#include "platform.h"

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

std::uintmax_t physicalMemory()
{
#ifdef _SC_PHYS_PAGES
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) {
        return static_cast<std::uintmax_t>(pages) * static_cast<std::uintmax_t>(pageSize);
    }
#endif
    return UINTMAX_MAX;
}

} // namespace Quorl
