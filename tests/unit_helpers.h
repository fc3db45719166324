// Helpers the unit tests share.
#pragma once

#include "tag_library.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <unistd.h>

namespace unit {

namespace fs = std::filesystem;

using Pairs = std::vector<std::pair<std::string, std::string>>;

inline Pairs pairsOf(const Quorl::TagList& tags)
{
    Pairs pairs;
    tags.visitAll([&](const std::string& name, std::string_view value) {
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

// A fresh, empty directory for one test.
inline fs::path scratchDir(const std::string& name)
{
    const fs::path dir =
        fs::temp_directory_path() / ("quorl-unit-" + std::to_string(getpid()) + "-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

} // namespace unit
