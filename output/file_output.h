// The one way both commands write their output file.
#pragma once

#include <string>
#include <string_view>

namespace Quorl {

// What the writer does with an output that is a regular file, named by the path itself, already
// holding the text: the tool writes it all the same; the build step (quorlRegenerate) leaves it
// as it is, time included, so that nothing built from it is built again. Looking never waits,
// not even on a FIFO, and never opens a device.
enum class SameText { write, leave };

// Writes `contents` to `path` as a truncating write would, except that a regular file is
// replaced all or nothing, as the man page says (doc/quorlModuleParser.1.in, "OUTPUT FILE"). On
// failure `reason` holds the system's description. Leaves SIGXFSZ and SIGPIPE ignored, so that
// a file-size limit and a vanished reader come back as errors.
bool writeFileReplacing(const std::string& path, std::string_view contents, std::string* reason,
                        SameText sameText = SameText::write);

} // namespace Quorl
