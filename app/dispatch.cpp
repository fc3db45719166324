#include "commands.h"

#include <ostream>

namespace Quorl {

const char* const usageText = "usage: quorlModuleParser -command <parameters>\n"
                              "where -command offers the following options:\n"
                              "\n"
                              "quorlModuleParser -createTagsInfo <InputFile> <OutputFile>\n"
                              "quorlModuleParser -createClassReg <InputFile> <OutputFile>\n"
                              "quorlModuleParser -rebuild <InputDirectory> <OutputDirectory>\n"
                              "\n";

int runCommandLine(const ArgumentList& args, std::ostream& out, std::ostream& err)
{
    if (args.size() <= 1) {
        out << usageText;
        return 0;
    }
    const std::string& command = args[1];
    if (command == "-createTagsInfo") {
        if (args.size() == 4) {
            return createTagsInfo(args, err);
        }
        out << usageText;
        return 1;
    }
    if (command == "-createClassReg") {
        if (args.size() == 4 || args.size() == 5) {
            return createClassReg(args, err);
        }
        out << usageText;
        return 1;
    }
    if (command == "-rebuild") {
        err << "not implemented yet.\n";
        return 1;
    }
    err << "unknown command\n";
    out << usageText;
    return 1;
}

} // namespace Quorl
