#include "regenerate.h"
#include "commands.h"
#include "platform.h"

#include <ostream>

namespace Quorl {
namespace {

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
    if (argc == 2 && command == "--version") {
        out << "quorlRegenerate (quorlModuleParser) " QUORL_VERSION "\n";
        return 0;
    }
    const char* what = command == createClassRegSwitch   ? "class registration"
                       : command == createTagsInfoSwitch ? "tag information"
                                                         : nullptr;
    if (what == nullptr || argc < 4 || argc > 5) {
        err << "usage: quorlRegenerate <-createClassReg | -createTagsInfo> <tag file> <output> "
               "[<stamp>]\n       quorlRegenerate --version\n";
        return 1;
    }
    if (runMain(4, argv, out, err, {SameText::leave, true}) != 0) {
        err << narrowPath(argv[2]) << ": error: " << what << " not generated\n";
        return 1;
    }
    std::string reason;
    if (argc == 5 && !touchFile(narrowPath(argv[4]), &reason)) {
        err << "error, could not touch " << narrowPath(argv[4]) << ": " << reason << "\n";
        return 1;
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
