#include "child_process.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

Process processWithStreamsIn(const std::string& streamsDir)
{
    static std::atomic<int> counter{0};
    const std::string stem = streamsDir + "/process" + std::to_string(counter++);
    Process process;
    process.outPath = stem + ".out";
    process.errPath = stem + ".err";
    return process;
}

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& streamsDir,
                         const ProcessOptions& options)
{
    return finishProcess(startProcess(argv, streamsDir, options));
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

void writeFile(const std::filesystem::path& path, const std::string& contents)
{
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path());
    }
    std::ofstream(path, std::ios::binary) << contents;
}
