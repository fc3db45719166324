// Whole-process benchmark: generates synthetic modules, runs both commands of the built tool on
// each, and prints the median wall time and the peak resident memory per size.
//
//   module_bench <quorlModuleParser> <qt_noop> <work dir> [--sizes 10,1000,...] [--runs N]
//
// <qt_noop> is a program that does nothing but link Qt Core: the floor for a small module.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
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

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: %s <quorlModuleParser> <qt_noop> <work dir> "
                     "[--sizes 10,1000,...] [--runs N]\n",
                     argv[0]);
        return 2;
    }
    const std::string tool = argv[1];
    const std::string noop = argv[2];
    const std::string dir = argv[3];
    std::vector<long> sizes = {10, 1000, 100000, 1000000};
    int runsOverride = 0;
    for (int i = 4; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--sizes") {
            sizes.clear();
            for (const char* p = argv[i + 1]; *p != '\0';) {
                char* end = nullptr;
                sizes.push_back(std::strtol(p, &end, 10));
                p = *end == ',' ? end + 1 : end;
            }
        } else if (option == "--runs") {
            runsOverride = std::atoi(argv[i + 1]);
        }
    }
    mkdir(dir.c_str(), 0755);

    std::printf("%10s %10s  %-16s %12s %10s %9s\n", "values", "tag file", "command", "median wall",
                "peak RSS", "RSS/file");
    double noopMedian = 0;
    double smallMedian = 0;
    double time100k = 0;
    double time1m = 0;
    double ratio1m = 0;
    for (const long values : sizes) {
        const std::string input = writeModule(dir, values);
        struct stat info
        {
        };
        stat(input.c_str(), &info);
        const double fileBytes = static_cast<double>(info.st_size);
        // Small modules are dominated by process start-up, so they need many runs to settle.
        const int runs = runsOverride > 0 ? runsOverride : values <= 1000 ? 201 : 7;
        for (const char* command : {"-createClassReg", "-createTagsInfo"}) {
            const std::string output = dir + "/out" + std::to_string(values) + command;
            std::vector<double> times;
            std::vector<double> noopTimes;
            long peak = 0;
            for (int run = 0; run < runs; ++run) {
                // Interleaved with the do-nothing program, so both see the same machine load.
                if (values <= 10) {
                    noopTimes.push_back(runOnce({noop}).seconds);
                }
                const Sample sample = runOnce({tool, command, input, output});
                times.push_back(sample.seconds);
                peak = std::max(peak, sample.peakKilobytes);
            }
            const double wall = median(times);
            const double rss = static_cast<double>(peak) * 1024;
            std::printf("%10ld %10s  %-16s %12s %10s %8.1fx\n", values,
                        humanBytes(fileBytes).c_str(), command, humanSeconds(wall).c_str(),
                        humanBytes(rss).c_str(), rss / fileBytes);
            if (std::string(command) == "-createClassReg") {
                if (values <= 10) {
                    noopMedian = median(noopTimes);
                    smallMedian = wall;
                }
                if (values == 100000) {
                    time100k = wall;
                }
                if (values == 1000000) {
                    time1m = wall;
                    ratio1m = rss / fileBytes;
                }
            }
        }
    }

    std::printf("\n-createClassReg against the targets:\n");
    if (noopMedian > 0) {
        std::printf("  10 values: %s, a Qt Core no-op %s: %.2fx (target <= 1.2x)\n",
                    humanSeconds(smallMedian).c_str(), humanSeconds(noopMedian).c_str(),
                    smallMedian / noopMedian);
    }
    if (time1m > 0) {
        std::printf("  1,000,000 values: %s (target <= 1 s), peak memory %.1fx the tag file "
                    "(target <= 6x)\n",
                    humanSeconds(time1m).c_str(), ratio1m);
    }
    if (time1m > 0 && time100k > 0) {
        std::printf("  100,000 -> 1,000,000 values: time grows %.1fx (target <= 11x)\n",
                    time1m / time100k);
    }
    return 0;
}
