#include "class_registration.h"
#include "commands.h"
#include "driver_steps.h"
#include "file_output.h"

#include <ostream>

namespace Quorl {

int createClassReg(const ArgumentList& args, std::ostream& err)
{
    const std::string& inputPath = args[2];
    const std::string& outputPath = args[3];
    TagHeaderParser parser;
    const std::unique_ptr<TagList> tags = parseModuleTags(parser, inputPath, err);
    if (!tags) {
        return 1;
    }
    if (!tags->hasTag(classesTag)) {
        err << "warning - no classes found. Proxy file created (with no actual registrations).\n";
    }
    std::string fileName = removePathFromFilename(inputPath);
    const std::string moduleName = extractToChar(fileName, '.');

    std::string message;
    const std::string text = generateClassRegistration(*tags, moduleName, &message);
    if (text.empty()) {
        err << message << "error, registration file could not be created.\n";
        return 1;
    }
    std::string reason;
    if (!writeFileReplacing(outputPath, text, &reason)) {
        return reportWriteFailure(outputPath, reason, err);
    }
    return 0;
}

} // namespace Quorl
