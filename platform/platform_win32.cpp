#include "platform.h"

#include <cerrno>
#include <cwchar>

#include <windows.h>

namespace Quorl {

std::FILE* openFile(const std::string& path, const char* mode)
{
    const std::wstring widePath = wideFromUtf8(path);
    std::FILE* file = _wfopen(widePath.c_str(), wideFromUtf8(mode).c_str());
    // Windows says "Permission denied" for a folder; the reason reads as on POSIX instead.
    const DWORD attributes = file == nullptr ? GetFileAttributesW(widePath.c_str()) : 0;
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        errno = EISDIR;
    }
    return file;
}

std::filesystem::path fileSystemPath(const std::string& path)
{
    return wideFromUtf8(path);
}

void adviseHugePages(const std::string&) {}

std::uintmax_t memoryLimit()
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : UINTMAX_MAX;
}

} // namespace Quorl
