#include "platform.h"
#include "regenerate.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include <windows.h>

namespace Quorl {

bool holdsText(const std::string& path, std::string_view text)
{
    const HANDLE file = CreateFileW(wideFromUtf8(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    bool same =
        file != INVALID_HANDLE_VALUE && GetFileType(file) == FILE_TYPE_DISK &&
        GetFileInformationByHandle(file, &info) &&
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
        ((std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow) == text.size();
    char buffer[1 << 16];
    while (same && !text.empty()) {
        DWORD got = 0;
        same = ReadFile(file, buffer, static_cast<DWORD>(std::min(sizeof buffer, text.size())),
                        &got, nullptr) &&
               got > 0 && std::memcmp(buffer, text.data(), got) == 0;
        text.remove_prefix(same ? got : 0);
    }
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    return same;
}

} // namespace Quorl
