// The two steps both commands share: parsing the tag file with its failure report, and the
// report of an output that could not be written.
#pragma once

#include "commands.h"
#include "tag_library.h"

#include <iosfwd>
#include <memory>
#include <string>

namespace Quorl {

// Parses the module's tag file, argument `index` of `line`, with `parser`. On failure (no list,
// or the error flag set) prints "Parser error:" and the parser's error text on `err` and returns
// no list.
std::unique_ptr<TagList> parseModuleTags(TagHeaderParser& parser, const CommandLine& line,
                                         std::size_t index, std::ostream& err);

// Reports an output that could not be written; the command then exits with status 1.
int reportWriteFailure(const std::string& path, const std::string& reason, std::ostream& err);

} // namespace Quorl
