#include "temporary_name.h"

#include <cstdint>
#include <cstdio>
#include <random>

namespace Quorl {

std::string randomTemporaryName(const std::string& directoryPrefix)
{
    std::random_device device;
    const std::uint64_t bits = (static_cast<std::uint64_t>(device()) << 32) ^ device();
    char name[40];
    std::snprintf(name, sizeof name, ".quorlModuleParser-%016llx.tmp",
                  static_cast<unsigned long long>(bits));
    return directoryPrefix + name;
}

} // namespace Quorl
