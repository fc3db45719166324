// The one way both commands write their output file.
#pragma once

#include <string>
#include <string_view>

namespace Quorl {

// Writes `contents` to `path` as a truncating write would, except that a regular file is
// replaced all or nothing, as the man page says (doc/quorlModuleParser.1.in, "OUTPUT FILE"). On
// failure `reason` holds the system's description. Leaves SIGXFSZ and SIGPIPE ignored, so that
// a file-size limit and a vanished reader come back as errors.
bool writeFileReplacing(const std::string& path, std::string_view contents, std::string* reason);

} // namespace Quorl
