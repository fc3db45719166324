#include "platform.h"

#include <cerrno>
#include <cwchar>
#include <fstream>

#include <sys/stat.h>
#include <sys/types.h>

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

std::uintmax_t sizeOfOpenFile(std::FILE* file)
{
    struct _stat64 status = {};
    return _fstat64(_fileno(file), &status) == 0 && (status.st_mode & _S_IFREG) != 0
               ? static_cast<std::uintmax_t>(status.st_size)
               : 0;
}

std::filesystem::path fileSystemPath(const std::string& path)
{
    return wideFromUtf8(path);
}

bool touchFile(const std::string& path, std::string* reason)
{
    const std::filesystem::path stamp = fileSystemPath(path);
    std::error_code error;
    std::ofstream(stamp, std::ios::app).close();
    std::filesystem::last_write_time(stamp, std::filesystem::file_time_type::clock::now(), error);
    if (error) {
        *reason = error.message();
    }
    return !error;
}

void adviseHugePages(const std::string&) {}

// Windows kills no process for want of memory (an allocation that fails throws), so only what the
// machine has available counts.
MemoryRoom memoryRoom()
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    MemoryRoom room;
    if (GlobalMemoryStatusEx(&status)) {
        room.resident = status.ullAvailPhys;
    }
    return room;
}

} // namespace Quorl
