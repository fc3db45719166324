// What the tool asks of the system outside the output writer: how its narrow path strings reach
// the file system, and how much memory there is. On POSIX a path is its bytes. On Windows the
// system's paths are wide (UTF-16); the tool carries them as UTF-8 and widens them again only to
// open a file, so no character is lost on the way.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <new>
#include <string>
#include <string_view>

namespace Quorl {

// UTF-8 of a platform wide string (UTF-16 on Windows, UTF-32 elsewhere). An unpaired surrogate,
// which Windows allows in names, gets the three bytes its value would have (WTF-8), so that
// wideFromUtf8 gives it back.
std::string utf8FromWide(std::wstring_view wide);
// The inverse of utf8FromWide; a byte that starts no sequence becomes U+FFFD.
std::wstring wideFromUtf8(std::string_view utf8);
// Whether every character of the UTF-8 text is U+00FF or below.
bool fitsLatin1(std::string_view utf8);

// std::fopen for a path as the tool holds it.
std::FILE* openFile(const std::string& path, const char* mode);
// The same path for std::filesystem.
std::filesystem::path fileSystemPath(const std::string& path);
// Creates the file `path` where it is missing and sets its times to now, as touch(1) does,
// never waiting on a FIFO; false with the system's reason in `reason`.
bool touchFile(const std::string& path, std::string* reason);

// The most memory the run may have, in bytes: the least of the machine's memory, the limit of
// its control group (Linux, where exceeding it gets the process killed without a word) and the
// address-space limit; UINTMAX_MAX where none can be told.
std::uintmax_t memoryLimit();
// Asks for huge pages behind the large buffer `text` reserved (not yet written): a gigabyte
// costs 512 page faults instead of 262,144.
void adviseHugePages(const std::string& text);

// Whether `bytes` fit in memoryLimit(); what every run may have (64 MiB) is not checked, which
// spares small runs the reading of the limits.
inline bool fitsInMemory(std::uintmax_t bytes)
{
    return bytes <= (std::uintmax_t{64} << 20) || bytes <= memoryLimit();
}
// Throws std::bad_alloc when `bytes` do not fit: an input that could only be handled by
// swapping, if at all, is that input's fault on this machine.
inline void needMemory(std::uintmax_t bytes)
{
    if (!fitsInMemory(bytes)) {
        throw std::bad_alloc();
    }
}

} // namespace Quorl
