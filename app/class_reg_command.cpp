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

// "<tag file>:<line>:<column>: " for `piece`, a view into the list's text, which IDEs and build
// logs lead to; without the place where the list holds the piece elsewhere.
std::string placeOf(const TagList& tags, const std::string& path, std::string_view piece)
{
    std::size_t lineNumber = 0;
    std::size_t column = 0;
    return pathForMessages(path) +
           (tags.locate(piece, &lineNumber, &column)
                ? ":" + std::to_string(lineNumber) + ":" + std::to_string(column) + ": "
                : ": ");
}

// What makes a module register nothing by mistake: a tag that is nearly CLASSES, at the first
// line of each run of them, and no CLASSES at all, at the file.
void warnOfClassesTag(const TagList& tags, const std::string& path, std::ostream& err)
{
    const char* lastName = nullptr;
    tags.visitAll([&](std::string_view name, std::string_view) {
        if (name.data() != lastName && isNearMissOfClassesTag(name)) {
            err << placeOf(tags, path, name) << "warning: '" << quotedForMessages(name)
                << "' is not the CLASSES tag, so its values register no class; did you mean "
                   "CLASSES?\n";
        }
        lastName = name.data();
    });
    if (!tags.hasTag(classesTag)) {
        err << pathForMessages(path) << ":1:1: warning: no CLASSES tag, so module '"
            << moduleNameOf(path) << "' registers no class\n";
    }
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
    if (options.pointAtFaults) {
        warnOfClassesTag(*tags, line.shown(2), err);
    }
    const std::string moduleName = moduleNameOf(line.args[2]);

    std::string message;
    EntryFault fault;
    const std::string text = generateClassRegistration(*tags, moduleName, &message, &fault);
    if (text.empty()) {
        err << message << "error, registration file could not be created.\n";
        if (options.pointAtFaults) {
            err << placeOf(*tags, line.shown(2), fault.at) << "error: " << fault.what << "\n";
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
