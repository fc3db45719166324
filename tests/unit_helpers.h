// Helpers the unit tests share.
#pragma once

#include "tag_library.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace unit {

namespace fs = std::filesystem;

using Pairs = std::vector<std::pair<std::string, std::string>>;

inline Pairs pairsOf(const Quorl::TagList& tags)
{
    Pairs pairs;
    tags.visitAll([&](std::string_view name, std::string_view value) {
        pairs.emplace_back(name, std::string(value));
    });
    return pairs;
}

inline std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

// Whether the tests run on Windows, where what needs POSIX is skipped, saying why.
#ifdef _WIN32
constexpr bool onWindows = true;
#else
constexpr bool onWindows = false;
#endif

// A fresh, empty directory for one test.
inline fs::path scratchDir(const std::string& name)
{
    static const std::string run = std::to_string(std::random_device()());
    const fs::path dir = fs::temp_directory_path() / ("quorl-unit-" + run + "-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

} // namespace unit
