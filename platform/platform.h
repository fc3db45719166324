// What the tool asks of the system outside the output writer: how its narrow path strings reach
// the file system, how the input is read, and how much memory there is. On POSIX a path is its
// bytes. On Windows the system's paths are wide (UTF-16); the tool carries them as UTF-8 and widens
// them again only to open a file, so no character is lost on the way.
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

// The path as std::filesystem takes it.
std::filesystem::path fileSystemPath(const std::string& path);
// Creates the file `path` where it is missing and sets its times to now, as touch(1) does,
// never waiting on a FIFO; false with the system's reason in `reason`.
bool touchFile(const std::string& path, std::string* reason);

// The most a run holds for each byte of its input, whatever the input's shape: the text itself,
// a value's record for a line as short as "=\n" (records reserved for every line that may hold
// a value, 32 bytes), and the text to write, at most what the records leave room for. The
// reading of the input is the one place that asks whether this fits.
constexpr std::uintmax_t heldPerInputByte = 18;

// Reads the file `path` whole into `contents`: opened once, sized from the open file, then read
// to its end (a device or a file still growing may give more than its size said). Before the
// text grows, checks that heldPerInputByte times its size fits in the memory that can still be
// had: the least of what the machine has available, what the process's memory control groups
// leave (their limits less what their processes hold that cannot be reclaimed) and the
// address-space limit less what the process has mapped. False with the system's reason in
// `reason` ("Cannot allocate memory" where it would not fit).
bool readInputFile(const std::string& path, std::string* contents, std::string* reason);

// Reserves `bytes` in `text`, with huge pages behind a large reservation: a gigabyte costs 512
// page faults instead of 262,144.
void reserveText(std::string* text, std::size_t bytes);

// The most that the memory control groups in `groupsFile` (as /proc/self/cgroup lists them) leave
// for the process: for the group and each of its parents, its limit less what it holds that cannot
// be reclaimed (its usage less its file cache), in version 2 ("0::<group>": memory.max,
// memory.current, memory.stat under <root>/<group> or <root>/unified/<group>) and version 1
// ("<n>:memory:<group>": memory.limit_in_bytes, memory.usage_in_bytes, memory.stat under
// <root>/memory/<group>). UINTMAX_MAX where no limit can be read ("max", unreadable, garbled).
std::uintmax_t controlGroupRoom(const std::string& groupsFile, const std::string& root);

// What platform_posix.cpp and platform_win32.cpp answer for the code all platforms share:
// std::fopen for a path as the tool holds it,
std::FILE* openFile(const std::string& path, const char* mode);
// the size of the open file, or 0 where it has none (a device, a pipe),
std::uintmax_t sizeOfOpenFile(std::FILE* file);

// how much more memory the process may come to hold, in the two kinds that limits count,
struct MemoryRoom
{
    std::uintmax_t resident = UINTMAX_MAX; // the machine's and the control groups' memory
    std::uintmax_t mapped = UINTMAX_MAX;   // the address-space limit
};
MemoryRoom memoryRoom();

// and huge pages asked for behind the large buffer `text` reserved (not yet written).
void adviseHugePages(const std::string& text);

} // namespace Quorl
