// Windows: the text goes to a new file with a random name beside the output, is flushed, and
// ReplaceFileW swaps it in, keeping the replaced file's attributes and security; a new output is
// moved into place; devices (NUL, CON) and pipes are written in place. Paths are wide on the way.
#include "file_output.h"
#include "platform.h"
#include "temporary_name.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <system_error>

#include <windows.h>

namespace Quorl {
namespace {

// The reason a POSIX system gives for the same failure, so that messages read alike on both.
std::string reasonFor(DWORD error)
{
    struct Group
    {
        int posix;
        DWORD windows[6]; // unused places stay ERROR_SUCCESS, which is no failure
    };
    static const Group groups[] = {
        {ENOENT,
         {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_INVALID_DRIVE, ERROR_BAD_NETPATH,
          ERROR_BAD_NET_NAME}},
        {EACCES,
         {ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ERROR_LOCK_VIOLATION,
          ERROR_UNABLE_TO_REMOVE_REPLACED, ERROR_UNABLE_TO_MOVE_REPLACEMENT,
          ERROR_UNABLE_TO_MOVE_REPLACEMENT_2}},
        {EROFS, {ERROR_WRITE_PROTECT}},
        {ENOSPC, {ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL}},
        {ENAMETOOLONG, {ERROR_FILENAME_EXCED_RANGE}},
        {EINVAL, {ERROR_INVALID_NAME, ERROR_BAD_PATHNAME, ERROR_DIRECTORY}}};
    for (const auto& [posix, windows] : groups) {
        if (std::count(windows, windows + std::size(windows), error) > 0) {
            return std::strerror(posix);
        }
    }
    return std::system_category().message(static_cast<int>(error));
}

DWORD succeeded(BOOL done)
{
    return done ? ERROR_SUCCESS : GetLastError();
}

HANDLE openFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition)
{
    return CreateFileW(path.c_str(), access, share, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Opens `path` as it is with `access`, sharing everything: ERROR_SUCCESS and its type, or why not.
DWORD probe(const std::wstring& path, DWORD access, DWORD* type)
{
    const HANDLE file = openFile(
        path, access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError();
    }
    *type = GetFileType(file);
    CloseHandle(file);
    return ERROR_SUCCESS;
}

// Writes the text to `file`, then closes it: ERROR_SUCCESS, or the first error.
DWORD writeAndClose(HANDLE file, std::string_view contents, bool flush)
{
    DWORD error = ERROR_SUCCESS;
    while (!contents.empty() && error == ERROR_SUCCESS) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(contents.size(), 1u << 30));
        DWORD written = 0;
        error =
            succeeded(WriteFile(file, contents.data(), chunk, &written, nullptr) && written > 0);
        contents.remove_prefix(written);
    }
    if (error == ERROR_SUCCESS && flush && !FlushFileBuffers(file)) {
        error = GetLastError();
    }
    CloseHandle(file);
    return error;
}

// `path` made absolute: Wine's ReplaceFileW takes no relative paths (Windows's takes them).
std::wstring fullPath(const std::wstring& path)
{
    std::wstring full(GetFullPathNameW(path.c_str(), 0, nullptr, nullptr), L'\0');
    const DWORD length =
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    return full.empty() || length >= full.size() ? path : full.substr(0, length);
}

// Whether `target` is a regular file itself (no reparse point) holding exactly `text`.
bool holdsText(const std::wstring& target, std::string_view text)
{
    const HANDLE file = CreateFileW(target.c_str(), GENERIC_READ,
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

DWORD replace(const std::wstring& target, DWORD attributes, std::string_view contents)
{
    const std::wstring temporary =
        target.substr(0, target.find_last_of(L"/\\") + 1) + wideFromUtf8(randomTemporaryName());
    const HANDLE file = openFile(temporary, GENERIC_WRITE, 0, CREATE_NEW);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError();
    }
    DWORD error = writeAndClose(file, contents, true);
    // A new output is moved into place, unless another process made one meanwhile.
    if (error == ERROR_SUCCESS && attributes == INVALID_FILE_ATTRIBUTES) {
        error = succeeded(MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH));
    }
    if ((error == ERROR_SUCCESS && attributes != INVALID_FILE_ATTRIBUTES) ||
        error == ERROR_ALREADY_EXISTS) {
        // Windows's ReplaceFileW carries the attributes over itself; Wine's does not.
        SetFileAttributesW(temporary.c_str(), attributes == INVALID_FILE_ATTRIBUTES
                                                  ? FILE_ATTRIBUTE_NORMAL
                                                  : attributes);
        error = succeeded(ReplaceFileW(
            target.c_str(), temporary.c_str(), nullptr,
            REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr));
    }
    if (error != ERROR_SUCCESS) {
        DeleteFileW(temporary.c_str());
    }
    return error;
}

} // namespace

bool writeFileReplacing(const std::string& path, std::string_view contents, std::string* reason,
                        SameText sameText)
{
    const std::wstring target = fullPath(wideFromUtf8(path));
    if (sameText == SameText::leave && holdsText(target, contents)) {
        return true;
    }
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        *reason = std::strerror(EISDIR);
        return false;
    }
    // Devices and pipes take the text in place. Files that cannot be replaced (read-only, or
    // open elsewhere without sharing) are refused before any temporary file exists: ReplaceFileW
    // can leave its replacement behind (Windows documents such cases; Wine's does it for these).
    DWORD type = FILE_TYPE_DISK;
    probe(target, 0, &type);
    DWORD error = ERROR_SUCCESS;
    if (type != FILE_TYPE_DISK) {
        const HANDLE file =
            openFile(target, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
        error =
            file == INVALID_HANDLE_VALUE ? GetLastError() : writeAndClose(file, contents, false);
    } else if (exists && ((attributes & FILE_ATTRIBUTE_READONLY) != 0 ||
                          probe(target, GENERIC_READ | DELETE, &type) == ERROR_SHARING_VIOLATION)) {
        error = ERROR_ACCESS_DENIED;
    } else {
        error = replace(target, attributes, contents);
    }
    if (error != ERROR_SUCCESS) {
        *reason = reasonFor(error);
    }
    return error == ERROR_SUCCESS;
}

} // namespace Quorl
