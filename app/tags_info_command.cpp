#include "commands.h"
#include "driver_steps.h"

namespace Quorl {

int createTagsInfo(const ArgumentList& args, std::ostream& err)
{
    TagHeaderParser parser;
    const std::unique_ptr<TagList> tags = parseModuleTags(parser, args[2], err);
    if (!tags) {
        return 1;
    }
    std::string reason;
    if (!tags->writeTextToFile(args[3], &reason)) {
        return reportWriteFailure(args[3], reason, err);
    }
    return 0;
}

} // namespace Quorl
