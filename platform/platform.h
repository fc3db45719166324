// What the tool asks of the system outside the output writer: how its narrow path strings reach
// the file system, and how much memory there is. On POSIX a path is its bytes. On Windows the
// system's paths are wide (UTF-16); the tool carries them as UTF-8 and widens them again only to
// open a file, so no character is lost on the way.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
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

// Memory (memory.cpp): every large allocation of a run is checked first against what the
// process holds now, so that an input too large for the machine or for the memory control group
// ends with a message rather than with the kernel's SIGKILL.
//
// Whether `bytes` more fit: what the process holds (resident, and mapped) with them stays within
// the least of the machine's memory, the limit of its control group (Linux) and its address-space
// limit. An allocation of up to 16 MiB always fits, sparing small runs the reading of the limits.
bool roomFor(std::uintmax_t bytes);
// Reserves `bytes` in `text` where they fit (roomFor), with huge pages behind a large reservation:
// a gigabyte costs 512 page faults instead of 262,144. False, leaving `text` as it was, where
// they do not fit.
bool reserveText(std::string* text, std::uintmax_t bytes);
// The system's side of it (platform_*.cpp).
struct MemoryUse
{
    std::uintmax_t resident = 0; // what counts against the machine's and the group's memory
    std::uintmax_t mapped = 0;   // what counts against the address-space limit
};
MemoryUse memoryInUse();
// The limits, in the same two kinds; UINTMAX_MAX where none can be told.
MemoryUse memoryLimits();
// Asks for huge pages behind the large buffer `text` reserved (not yet written).
void adviseHugePages(const std::string& text);
// The least limit of the memory control groups in `groupsFile` (as /proc/self/cgroup lists them),
// version 2 ("0::<group>", <root>/<group>/memory.max) and version 1 ("<n>:memory:<group>",
// <root>/memory/<group>/memory.limit_in_bytes), their parents included; "max", an unreadable or
// a garbled file sets none.
std::uintmax_t controlGroupLimit(const std::string& groupsFile, const std::string& root);

} // namespace Quorl
