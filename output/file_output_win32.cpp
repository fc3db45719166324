// Windows: the text goes to a new file with a random name beside the output, is flushed, and
// ReplaceFileW swaps it in, which keeps the replaced file's attributes and security; a new output
// is moved into place. Devices (NUL, CON) and pipes are written in place. Paths are the tool's
// UTF-8 (platform.h), opened through their wide form.
#include "file_output.h"
#include "file_output_testing.h"
#include "platform.h"
#include "temporary_name.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include <windows.h>

namespace Quorl {

namespace {

// The reason a POSIX system gives for the same failure, so that messages read alike on both.
std::string reasonFor(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return std::strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
        return std::strerror(EACCES);
    case ERROR_WRITE_PROTECT:
        return std::strerror(EROFS);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return std::strerror(ENOSPC);
    case ERROR_FILENAME_EXCED_RANGE:
        return std::strerror(ENAMETOOLONG);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY:
        return std::strerror(EINVAL);
    default:
        return std::system_category().message(static_cast<int>(error));
    }
}

bool writeAll(HANDLE file, std::string_view contents)
{
    while (!contents.empty()) {
        const DWORD chunk =
            static_cast<DWORD>(contents.size() < (1u << 30) ? contents.size() : (1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, contents.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        contents.remove_prefix(written);
    }
    return true;
}

// Whether `target` names something other than a file on disk: a device or a pipe.
bool isDeviceOrPipe(const std::wstring& target)
{
    const HANDLE probe =
        CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        return false;
    }
    const DWORD type = GetFileType(probe);
    CloseHandle(probe);
    return type != FILE_TYPE_DISK;
}

// Whether another handle's sharing mode lets the file be replaced.
bool isReplaceable(const std::wstring& target)
{
    const HANDLE probe = CreateFileW(target.c_str(), GENERIC_READ | DELETE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        return GetLastError() != ERROR_SHARING_VIOLATION;
    }
    CloseHandle(probe);
    return true;
}

bool writeInPlace(const std::wstring& target, std::string_view contents, std::string* reason)
{
    const HANDLE file =
        CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *reason = reasonFor(GetLastError());
        return false;
    }
    const bool ok = writeAll(file, contents);
    const DWORD error = GetLastError();
    CloseHandle(file);
    if (!ok) {
        *reason = reasonFor(error);
    }
    return ok;
}

// `path` made absolute: Wine's ReplaceFileW takes no relative paths.
std::wstring fullPath(const std::wstring& path)
{
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (size == 0 || length >= size) {
        return path;
    }
    full.resize(length);
    return full;
}

} // namespace

bool writeFileReplacing(const std::string& path, std::string_view contents, std::string* reason)
{
    const std::wstring target = fullPath(wideFromUtf8(path));
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        *reason = std::strerror(EISDIR);
        return false;
    }
    if (isDeviceOrPipe(target)) {
        return writeInPlace(target, contents, reason);
    }
    // Refused before any temporary file exists: ReplaceFileW can leave one of its own behind
    // (Wine's does) when the file is read-only or open without sharing.
    if (exists && ((attributes & FILE_ATTRIBUTE_READONLY) != 0 || !isReplaceable(target))) {
        *reason = std::strerror(EACCES);
        return false;
    }
    const std::size_t slash = path.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0; attempt < attemptsAtAName && error == ERROR_FILE_EXISTS; ++attempt) {
        temporary = fullPath(wideFromUtf8(randomTemporaryName(folder)));
        file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    }
    if (file == INVALID_HANDLE_VALUE) {
        *reason = reasonFor(error);
        return false;
    }
    bool ok = writeAll(file, contents) && FlushFileBuffers(file);
    error = ok ? ERROR_SUCCESS : GetLastError();
    CloseHandle(file);
    if (ok && !exists) {
        ok = MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
        error = ok ? ERROR_SUCCESS : GetLastError();
    }
    // Also when another process made the output meanwhile.
    if ((ok && exists) || error == ERROR_ALREADY_EXISTS) {
        // ReplaceFileW carries the attributes over on Windows, not on Wine.
        SetFileAttributesW(temporary.c_str(), exists ? attributes : FILE_ATTRIBUTE_NORMAL);
        ok = ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                          REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                          nullptr);
        error = ok ? ERROR_SUCCESS : GetLastError();
    }
    if (!ok) {
        DeleteFileW(temporary.c_str());
        *reason = reasonFor(error);
    }
    return ok;
}

bool writeFileReplacingThroughNamedFile(const std::string& path, std::string_view contents,
                                        std::string* reason)
{
    return writeFileReplacing(path, contents, reason);
}

} // namespace Quorl
