#include "platform.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <vector>

namespace Quorl {
namespace {

std::uintmax_t numberIn(const std::string& word)
{
    std::uintmax_t value = 0;
    const char* end = word.data() + word.size();
    const auto [stop, error] = std::from_chars(word.data(), end, value);
    return !word.empty() && error == std::errc() && stop == end ? value : UINTMAX_MAX;
}

// The first word of `file` as a number; UINTMAX_MAX where it is none.
std::uintmax_t numberInFile(const std::string& file)
{
    std::string word;
    std::ifstream(file) >> word;
    return numberIn(word);
}

// The sum of the named counts of a memory.stat file.
std::uintmax_t statSum(const std::string& file, const char* first, const char* second)
{
    std::uintmax_t sum = 0;
    std::ifstream stat(file);
    for (std::string key, value; stat >> key >> value;) {
        if ((key == first || key == second) && numberIn(value) != UINTMAX_MAX) {
            sum += numberIn(value);
        }
    }
    return sum;
}

// What one group leaves: its limit less its usage, of which its file cache can be reclaimed.
std::uintmax_t roomInGroup(const std::string& folder, bool version2)
{
    const std::uintmax_t limit =
        numberInFile(folder + (version2 ? "/memory.max" : "/memory.limit_in_bytes"));
    if (limit == UINTMAX_MAX) {
        return UINTMAX_MAX;
    }
    std::uintmax_t usage =
        numberInFile(folder + (version2 ? "/memory.current" : "/memory.usage_in_bytes"));
    usage = usage == UINTMAX_MAX ? 0 : usage;
    const std::uintmax_t cache =
        version2 ? statSum(folder + "/memory.stat", "active_file", "inactive_file")
                 : statSum(folder + "/memory.stat", "total_active_file", "total_inactive_file");
    const std::uintmax_t held = usage - std::min(usage, cache);
    return limit - std::min(limit, held);
}

} // namespace

std::uintmax_t controlGroupRoom(const std::string& groupsFile, const std::string& root)
{
    std::uintmax_t least = UINTMAX_MAX;
    std::ifstream groups(groupsFile);
    for (std::string line; std::getline(groups, line);) {
        const std::size_t first = line.find(':');
        const std::size_t second = line.find(':', first + 1);
        if (second == std::string::npos) {
            continue;
        }
        const std::string controllers = "," + line.substr(first + 1, second - first - 1) + ",";
        const bool version2 = controllers == ",,";
        std::vector<std::string> places;
        if (version2) {
            places = {root, root + "/unified"};
        } else if (controllers.find(",memory,") != std::string::npos) {
            places = {root + "/memory"};
        }
        for (std::string group = line.substr(second + 1); !places.empty();
             group = group.substr(0, group.rfind('/'))) {
            for (const std::string& place : places) {
                least = std::min(least, roomInGroup(place + group, version2));
            }
            if (group.empty()) {
                break;
            }
        }
    }
    return least;
}

namespace {

// Whether an input of `bytes` may be held, with all that a run makes of it. Small inputs are let
// through without reading the limits: that would cost more than their whole run.
bool fitsInMemory(std::uintmax_t bytes)
{
    if (bytes > UINTMAX_MAX / heldPerInputByte) {
        return false;
    }
    const std::uintmax_t need = bytes * heldPerInputByte;
    if (need <= (std::uintmax_t{16} << 20)) {
        return true;
    }
    const MemoryRoom room = memoryRoom();
    return need <= room.resident && need <= room.mapped;
}

} // namespace

void reserveText(std::string* text, std::size_t bytes)
{
    text->reserve(bytes);
    adviseHugePages(*text);
}

bool readInputFile(const std::string& path, std::string* contents, std::string* reason)
{
    errno = 0;
    std::FILE* file = openFile(path, "rb");
    if (file == nullptr) {
        *reason = std::strerror(errno);
        return false;
    }
    std::setvbuf(file, nullptr, _IONBF, 0); // straight from the file to the buffer
    int error = 0;
    std::size_t size = 0;
    // One byte more than the size lets the first read meet the end without growing.
    for (std::uintmax_t want = sizeOfOpenFile(file) + 1;; want = std::uintmax_t{size} * 2) {
        if (want > contents->max_size() || !fitsInMemory(want)) {
            error = ENOMEM;
            break;
        }
        contents->resize(size);
        reserveText(contents, static_cast<std::size_t>(want));
        contents->resize(static_cast<std::size_t>(want));
        size += std::fread(contents->data() + size, 1, contents->size() - size, file);
        if (size < contents->size()) {
            error = std::ferror(file) == 0 ? 0 : errno != 0 ? errno : EIO;
            break;
        }
    }
    std::fclose(file);
    contents->resize(size);
    if (error != 0) {
        *reason = std::strerror(error);
    }
    return error == 0;
}

} // namespace Quorl
