#include "regenerate.h"
#include "commands.h"
#include "platform.h"

#include <filesystem>
#include <fstream>
#include <ostream>

namespace Quorl {
namespace {

bool writeIfChanged(const std::string& path, std::string_view text, std::string* reason)
{
    return holdsText(path, text) || writeFileReplacing(path, text, reason);
}

std::string narrowPath(const char* path)
{
    return path;
}

std::string narrowPath(const wchar_t* path)
{
    return utf8FromWide(path);
}

template <typename Char>
int regenerate(int argc, const Char* const* argv, std::ostream& out, std::ostream& err)
{
    const std::string command = argc > 1 ? narrowPath(argv[1]) : "";
    const char* what = command == createClassRegSwitch   ? "class registration"
                       : command == createTagsInfoSwitch ? "tag information"
                                                         : nullptr;
    if (what == nullptr || argc < 4 || argc > 5) {
        err << "usage: quorlRegenerate <-createClassReg | -createTagsInfo> <tag file> <output> "
               "[<stamp>]\n";
        return 1;
    }
    if (runMain(4, argv, out, err, writeIfChanged) != 0) {
        err << narrowPath(argv[2]) << ": error: " << what << " not generated\n";
        return 1;
    }
    if (argc == 5) {
        const std::filesystem::path stamp = fileSystemPath(narrowPath(argv[4]));
        std::error_code error;
        std::ofstream(stamp, std::ios::app).close();
        std::filesystem::last_write_time(stamp, std::filesystem::file_time_type::clock::now(),
                                         error);
        if (error) {
            err << "error, could not touch " << narrowPath(argv[4]) << ": " << error.message()
                << "\n";
            return 1;
        }
    }
    return 0;
}

} // namespace

int regenerateMain(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    return regenerate(argc, argv, out, err);
}

int regenerateMain(int argc, const wchar_t* const* argv, std::ostream& out, std::ostream& err)
{
    return regenerate(argc, argv, out, err);
}

} // namespace Quorl
