#include "regenerate.h"
#include "commands.h"
#include "platform.h"

#include <ostream>

namespace Quorl {
namespace {

template <typename Char>
int regenerate(int argc, const Char* const* argv, std::ostream& out, std::ostream& err)
{
    // Built once; every line this step prints names a file as it was typed.
    CommandLine line = commandLineFrom(argc, argv);
    line.showPaths = true;
    const std::string command = argc > 1 ? line.args[1] : "";
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
    const std::string stamp = argc == 5 ? line.paths[4] : "";
    line.args.resize(4);
    line.paths.resize(4);
    if (runGuarded(line, out, err, {SameText::leave, true}) != 0) {
        err << line.shown(2) << ": error: " << what << " not generated\n";
        return 1;
    }
    std::string reason;
    if (argc == 5 && !touchFile(stamp, &reason)) {
        err << "error, could not touch " << stamp << ": " << reason << "\n";
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
