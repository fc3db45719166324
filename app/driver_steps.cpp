#include "driver_steps.h"

#include <ostream>

namespace Quorl {

std::unique_ptr<TagList> parseModuleTags(TagHeaderParser& parser, const CommandLine& line,
                                         std::size_t index, std::ostream& err)
{
    std::unique_ptr<TagList> tags = parser.parseTagFile(line.paths[index], line.shown(index));
    if (!tags || parser.errorFlag != 0) {
        err << "Parser error:\n" << parser.errorText;
        return nullptr;
    }
    return tags;
}

int reportWriteFailure(const std::string& path, const std::string& reason, std::ostream& err)
{
    err << "error, could not write " << pathForMessages(path) << ": " << reason << "\n";
    return 1;
}

} // namespace Quorl
