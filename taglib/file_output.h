#pragma once

#include <string>
#include <string_view>

namespace Quorl {

// Writes `contents` to a new file beside `path` and renames it over `path`, so a reader sees
// either the old file or the complete new one, never a part. On failure nothing is left behind
// but the old file, and `reason` holds the system's description of what went wrong.
// The file is written in text mode, so line feeds become the platform's line ends.
bool writeFileReplacing(const std::string& path, std::string_view contents, std::string* reason);

} // namespace Quorl
