#include "class_registration.h"
#include "commands.h"
#include "driver_steps.h"
#include "file_output.h"
#include "platform.h"

#include <ostream>

namespace Quorl {

namespace {

std::string moduleNameOf(const std::string& inputPath)
{
    std::string fileName = removePathFromFilename(inputPath);
    return extractToChar(fileName, '.');
}

} // namespace

int createClassReg(const CommandLine& line, std::ostream& err, const RunOptions& options)
{
    // Narrowed, a wide name beyond U+00FF would give functions of some other, garbled name.
    if (line.wide && !fitsLatin1(moduleNameOf(line.paths[2]))) {
        err << "error, the module name of " << line.paths[2]
            << " has characters beyond U+00FF, which the generated code cannot carry: rename "
               "the file\n";
        return 1;
    }
    TagHeaderParser parser;
    const std::unique_ptr<TagList> tags = parseModuleTags(parser, line, 2, err);
    if (!tags) {
        return 1;
    }
    if (!tags->hasTag(classesTag)) {
        err << "warning - no classes found. Proxy file created (with no actual registrations).\n";
    }
    const std::string moduleName = moduleNameOf(line.args[2]);

    std::string message;
    EntryFault fault;
    const std::string text = generateClassRegistration(*tags, moduleName, &message, &fault);
    if (text.empty()) {
        err << message << "error, registration file could not be created.\n";
        if (options.pointAtFaults) {
            std::size_t lineNumber = 0;
            std::size_t column = 0;
            err << pathForMessages(line.shown(2));
            if (tags->locate(fault.at, &lineNumber, &column)) {
                err << ":" << lineNumber << ":" << column;
            }
            err << ": error: " << fault.what << "\n";
        }
        return 1;
    }
    std::string reason;
    if (!writeFileReplacing(line.paths[3], text, &reason, options.sameText)) {
        return reportWriteFailure(line.shown(3), reason, err);
    }
    return 0;
}

} // namespace Quorl
