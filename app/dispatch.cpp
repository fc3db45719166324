#include "commands.h"
#include "tag_library.h"

#include <exception>
#include <new>
#include <ostream>

namespace Quorl {

const char* const usageText = "usage: quorlModuleParser -command <parameters>\n"
                              "where -command offers the following options:\n"
                              "\n"
                              "quorlModuleParser -createTagsInfo <InputFile> <OutputFile>\n"
                              "quorlModuleParser -createClassReg <InputFile> <OutputFile>\n"
                              "quorlModuleParser -rebuild <InputDirectory> <OutputDirectory>\n"
                              "\n";

int runGuarded(const CommandLine& line, std::ostream& out, std::ostream& err,
               const RunOptions& options)
{
    try {
        return runCommandLine(line, out, err, options);
    } catch (const std::bad_alloc&) {
        err << "error, out of memory";
        if (line.args.size() > 2) {
            err << " while processing " << pathForMessages(line.shown(2));
        }
        err << "\n";
    } catch (const std::exception& failure) {
        err << "error, " << failure.what() << "\n";
    } catch (...) {
        err << "error, unexpected failure\n";
    }
    return 1;
}

int runMain(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    return runGuarded(commandLineFrom(argc, argv), out, err);
}

int runMain(int argc, const wchar_t* const* argv, std::ostream& out, std::ostream& err)
{
    return runGuarded(commandLineFrom(argc, argv), out, err);
}

int runCommandLine(const CommandLine& line, std::ostream& out, std::ostream& err,
                   const RunOptions& options)
{
    const ArgumentList& args = line.args;
    if (args.size() <= 1) {
        out << usageText;
        return 0;
    }
    const std::string& command = args[1];
    if (command == createTagsInfoSwitch) {
        if (args.size() == 4) {
            return createTagsInfo(line, err, options);
        }
        out << usageText;
        return 1;
    }
    if (command == createClassRegSwitch) {
        if (args.size() == 4 || args.size() == 5) {
            return createClassReg(line, err, options);
        }
        out << usageText;
        return 1;
    }
    if (command == rebuildSwitch) {
        err << "not implemented yet.\n";
        return 1;
    }
    err << "unknown command\n";
    out << usageText;
    return 1;
}

} // namespace Quorl
