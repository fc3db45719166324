// Internal to the output writer: the one way its staging files are named.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

namespace Quorl {

// ".quorlModuleParser-<16 random hex digits>.tmp": random, so that others' files are never taken
// for ours (64 random bits do not meet by chance); short, so that it fits beside an output whose
// own name is as long as names go.
inline std::string randomTemporaryName()
{
    std::random_device device;
    const std::uint64_t bits = (static_cast<std::uint64_t>(device()) << 32) ^ device();
    char name[40];
    std::snprintf(name, sizeof name, ".quorlModuleParser-%016llx.tmp",
                  static_cast<unsigned long long>(bits));
    return name;
}

// Whether `name` is one that randomTemporaryName gives.
inline bool isTemporaryName(const char* name)
{
    constexpr std::size_t prefix = sizeof ".quorlModuleParser-" - 1;
    return std::strlen(name) == prefix + 16 + 4 &&
           std::strncmp(name, ".quorlModuleParser-", prefix) == 0 &&
           std::strspn(name + prefix, "0123456789abcdef") == 16 &&
           std::strcmp(name + prefix + 16, ".tmp") == 0;
}

} // namespace Quorl
