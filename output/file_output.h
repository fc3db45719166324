// The one way both commands write their output file.
#pragma once

#include <string>
#include <string_view>

namespace Quorl {

// Writes `contents` to `path` the way a truncating write would, except that a regular file is
// replaced all or nothing; what each kind of path gets is described once, in the man page
// (doc/quorlModuleParser.1.in, "OUTPUT FILE"). On failure the old file is left as it was, no
// temporary file remains, and `reason` holds the system's description of what went wrong.
bool writeFileReplacing(const std::string& path, std::string_view contents, std::string* reason);

} // namespace Quorl
