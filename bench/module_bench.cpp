// Whole-process benchmark of the guardrails: generates synthetic modules and runs -createClassReg
// of the built tool on each, interleaved with the yardstick (a minimal one-pass program without
// Qt that writes the same bytes, checked byte for byte first), and prints time and peak memory as
// ratios: the median of the per-pair time ratios, and peak resident memory over the tag file and
// the generated text together.
//
//   module_bench <quorlModuleParser> <qt_noop> <yardstick_classreg> <work dir>
//                [--sizes 10,1000,...] [--pairs N]
//
// <qt_noop> is a program that does nothing but link Qt Core: the floor for a small module.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Sample
{
    double seconds;
    long peakKilobytes;
};

// Runs the program with its output streams on /dev/null; the exit status must be 0.
Sample runOnce(const std::vector<std::string>& command)
{
    std::vector<char*> argv;
    std::vector<std::string> args = command;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "failed: %s %s\n", command[0].c_str(), command[1].c_str());
        std::exit(1);
    }
    return {std::chrono::duration<double>(end - start).count(), usage.ru_maxrss};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// A realistic mix: three in ten classes stand alone, five name a base, two also a header.
std::string writeModule(const std::string& dir, long values)
{
    const std::string path = dir + "/module" + std::to_string(values) + ".tags";
    std::ofstream out(path, std::ios::binary);
    out << "# synthetic module with " << values << " classes\n"
        << "MODULE = synthetic\nVERSION = 1.0.0\nDESCRIPTION = \"  a generated module  \"\n"
        << "DEPENDS = core\nDEPENDS = geometry\n";
    for (long i = 0; i < values; ++i) {
        const long base = i / 2;
        switch (i % 10) {
        case 0:
        case 1:
        case 2:
            out << "CLASSES = Class" << i << "\n";
            break;
        case 8:
        case 9:
            out << "CLASSES = Class" << i << " in module/sub/class" << i << ".h inherits Class"
                << base << "\n";
            break;
        default:
            out << "CLASSES = Class" << i << " inherits Class" << base << "\n";
        }
    }
    return path;
}

std::string humanBytes(double bytes)
{
    char text[32];
    if (bytes >= 1e6) {
        std::snprintf(text, sizeof text, "%.1f MB", bytes / 1e6);
    } else if (bytes >= 1e3) {
        std::snprintf(text, sizeof text, "%.1f kB", bytes / 1e3);
    } else {
        std::snprintf(text, sizeof text, "%.0f B", bytes);
    }
    return text;
}

std::string humanSeconds(double seconds)
{
    char text[32];
    if (seconds >= 1) {
        std::snprintf(text, sizeof text, "%.3f s", seconds);
    } else {
        std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
    }
    return text;
}

struct Measured
{
    std::vector<double> tool;
    std::vector<double> other;
    std::vector<double> ratios; // tool over other, pair by pair
    long toolPeak = 0;
};

// Runs the pairs interleaved, alternating which goes first, so both see the same machine.
Measured measurePairs(const std::vector<std::string>& tool, const std::vector<std::string>& other,
                      int pairs)
{
    Measured result;
    for (int pair = 0; pair < pairs; ++pair) {
        Sample first = runOnce(pair % 2 == 0 ? tool : other);
        Sample second = runOnce(pair % 2 == 0 ? other : tool);
        if (pair % 2 != 0) {
            std::swap(first, second);
        }
        result.tool.push_back(first.seconds);
        result.other.push_back(second.seconds);
        result.ratios.push_back(first.seconds / second.seconds);
        result.toolPeak = std::max(result.toolPeak, first.peakKilobytes);
    }
    return result;
}

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: %s <quorlModuleParser> <qt_noop> <yardstick_classreg> <work dir> "
                     "[--sizes 10,1000,...] [--pairs N]\n",
                     argv[0]);
        return 2;
    }
    const std::string tool = argv[1];
    const std::string noop = argv[2];
    const std::string yardstick = argv[3];
    const std::string dir = argv[4];
    std::vector<long> sizes = {10, 1000, 100000, 1000000};
    int pairsOverride = 0;
    for (int i = 5; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--sizes") {
            sizes.clear();
            for (const char* p = argv[i + 1]; *p != '\0';) {
                char* end = nullptr;
                sizes.push_back(std::strtol(p, &end, 10));
                p = *end == ',' ? end + 1 : end;
            }
        } else if (option == "--pairs") {
            pairsOverride = std::atoi(argv[i + 1]);
        }
    }
    mkdir(dir.c_str(), 0755);

    std::printf("-createClassReg\n%9s %9s %9s %10s %10s %7s %12s\n", "values", "tag file", "text",
                "tool", "yardstick", "ratio", "tool RSS /");
    std::printf("%9s %9s %9s %10s %10s %7s %12s\n", "", "", "", "median", "median", "median",
                "(file+text)");
    double ratio1m = 0;
    double memory1m = 0;
    double noopRatio = 0;
    for (const long values : sizes) {
        const std::string input = writeModule(dir, values);
        const std::string toolOut = dir + "/tool" + std::to_string(values) + ".cpp";
        const std::string yardOut = dir + "/yard" + std::to_string(values) + ".cpp";
        const std::vector<std::string> toolRun = {tool, "-createClassReg", input, toolOut};
        const std::vector<std::string> yardRun = {yardstick, input, yardOut};
        runOnce(toolRun);
        runOnce(yardRun);
        const std::string text = readAll(toolOut);
        if (text != readAll(yardOut)) {
            std::fprintf(stderr, "the tool and the yardstick differ on %s\n", input.c_str());
            return 1;
        }
        const double fileBytes = static_cast<double>(readAll(input).size());
        const double held = fileBytes + static_cast<double>(text.size());
        // Small modules are dominated by process start-up, so they need many runs to settle.
        const int pairs = pairsOverride > 0 ? pairsOverride : values <= 1000 ? 101 : 7;
        const Measured m = measurePairs(toolRun, yardRun, pairs);
        const double memory = static_cast<double>(m.toolPeak) * 1024 / held;
        std::printf("%9ld %9s %9s %10s %10s %6.2fx %11.2fx\n", values,
                    humanBytes(fileBytes).c_str(),
                    humanBytes(static_cast<double>(text.size())).c_str(),
                    humanSeconds(median(m.tool)).c_str(), humanSeconds(median(m.other)).c_str(),
                    median(m.ratios), memory);
        if (values == 1000000) {
            ratio1m = median(m.ratios);
            memory1m = memory;
        }
        if (values <= 10) {
            const Measured small = measurePairs(toolRun, {noop}, pairs * 2);
            noopRatio = median(small.ratios);
            std::printf("%9ld values against a Qt Core no-op: %s and %s, %.2fx\n", values,
                        humanSeconds(median(small.tool)).c_str(),
                        humanSeconds(median(small.other)).c_str(), noopRatio);
        }
    }

    std::printf("\nAgainst the guardrails:\n");
    if (ratio1m > 0) {
        std::printf("  1,000,000 values: %.2fx the yardstick's time (at most 2.5x), peak memory "
                    "%.2fx the tag file and the text (at most 1.2x)\n",
                    ratio1m, memory1m);
    }
    if (noopRatio > 0) {
        std::printf("  10 values: %.2fx a Qt Core no-op (at most 1.25x)\n", noopRatio);
    }
    return 0;
}
