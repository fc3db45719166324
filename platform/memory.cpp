#include "platform.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <vector>

namespace Quorl {

std::uintmax_t controlGroupLimit(const std::string& groupsFile, const std::string& root)
{
    const auto limitIn = [](const std::string& file) {
        std::string word;
        std::ifstream(file) >> word;
        std::uintmax_t value = 0;
        const char* end = word.data() + word.size();
        const auto [stop, error] = std::from_chars(word.data(), end, value);
        return !word.empty() && error == std::errc() && stop == end ? value : UINTMAX_MAX;
    };
    std::uintmax_t least = UINTMAX_MAX;
    std::ifstream groups(groupsFile);
    for (std::string line; std::getline(groups, line);) {
        const std::size_t first = line.find(':');
        const std::size_t second = line.find(':', first + 1);
        if (second == std::string::npos) {
            continue;
        }
        const std::string controllers = "," + line.substr(first + 1, second - first - 1) + ",";
        std::vector<std::string> files;
        if (controllers == ",,") {
            files = {root + "/@/memory.max", root + "/unified/@/memory.max"};
        } else if (controllers.find(",memory,") != std::string::npos) {
            files = {root + "/memory/@/memory.limit_in_bytes"};
        }
        for (std::string group = line.substr(second + 1); !files.empty();
             group = group.substr(0, group.rfind('/'))) {
            for (std::string file : files) {
                least = std::min(least, limitIn(file.replace(file.find('@'), 1, group)));
            }
            if (group.empty()) {
                break;
            }
        }
    }
    return least;
}

bool roomFor(std::uintmax_t bytes)
{
    if (bytes <= (std::uintmax_t{16} << 20)) {
        return true;
    }
    static const MemoryUse limits = memoryLimits(); // read once a run
    const MemoryUse use = memoryInUse();
    const auto fits = [&](std::uintmax_t held, std::uintmax_t limit) {
        return held <= limit && bytes <= limit - held;
    };
    return fits(use.resident, limits.resident) && fits(use.mapped, limits.mapped);
}

bool reserveText(std::string* text, std::uintmax_t bytes)
{
    if (bytes > text->max_size() || !roomFor(bytes)) {
        return false;
    }
    text->reserve(static_cast<std::size_t>(bytes));
    adviseHugePages(*text);
    return true;
}

} // namespace Quorl
