// Writes <megabytes> MB through the replacing writer with a named temporary file, the kind that
// file systems without unnamed files get, so the fault tests can stop it in mid-write.
//   named_temp_writer <output> <megabytes>
#include "file_output_testing.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: named_temp_writer <output> <megabytes>\n", stderr);
        return 2;
    }
    const std::string text(std::strtoul(argv[2], nullptr, 10) << 20, 'x');
    std::string reason;
    if (!Quorl::writeFileReplacingThroughNamedFile(argv[1], text, &reason)) {
        std::fprintf(stderr, "error, could not write %s: %s\n", argv[1], reason.c_str());
        return 1;
    }
    return 0;
}
