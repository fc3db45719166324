#include "commands.h"
#include "driver_steps.h"

namespace Quorl {

int createTagsInfo(const CommandLine& line, std::ostream& err, const RunOptions& options)
{
    TagHeaderParser parser;
    const std::unique_ptr<TagList> tags = parseModuleTags(parser, line, 2, err);
    if (!tags) {
        return 1;
    }
    std::string reason;
    if (!tags->writeTextToFile(line.paths[3], &reason, options.sameText)) {
        return reportWriteFailure(line.shown(3), reason, err);
    }
    return 0;
}

} // namespace Quorl
