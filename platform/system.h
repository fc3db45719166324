// Internal to platform/: what platform_posix.cpp and platform_win32.cpp answer for the shared code.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace Quorl {

// std::fopen for a path as the tool holds it.
std::FILE* openFile(const std::string& path, const char* mode);
// The size of the open file, or 0 where it has none (a device, a pipe).
std::uintmax_t sizeOfOpenFile(std::FILE* file);

// How much more memory the process may come to hold, in the two kinds that limits count.
struct MemoryRoom
{
    std::uintmax_t resident = UINTMAX_MAX; // the machine's and the control groups' memory
    std::uintmax_t mapped = UINTMAX_MAX;   // the address-space limit
};
MemoryRoom memoryRoom();

// Asks for huge pages behind the large buffer `text` reserved (not yet written).
void adviseHugePages(const std::string& text);

} // namespace Quorl
