// For tests only: the writer as a file system without unnamed temporary files gets it.
#pragma once

#include <string>
#include <string_view>

namespace Quorl {

// writeFileReplacing, staging the text in a named temporary file even where an unnamed one
// could be had.
bool writeFileReplacingThroughNamedFile(const std::string& path, std::string_view contents,
                                        std::string* reason);

} // namespace Quorl
