#pragma once

#include <string>
#include <string_view>

namespace Quorl {

// How a regular file's replacement is staged. Production code always takes the default; tests
// force the named kind to exercise what file systems without unnamed files get.
enum class TemporaryFile {
    UnnamedIfPossible, // Linux O_TMPFILE: a killed run leaves nothing; falls back to Named
    Named,             // a randomly named file beside the output, removed on every path we see
};

// Writes `contents` to `path` the way a truncating write would, but all or nothing:
// - a regular file (or a path that does not exist yet) is replaced by a complete new file
//   renamed over it, which keeps the old file's permission bits and, where the process may,
//   its owner; other hard links keep the old text;
// - a symbolic link is followed and its final target is replaced; the link stays a link;
// - a device, FIFO or socket, or a file reached through /proc (/dev/stdout), is written
//   directly;
// - a directory is refused.
// On failure the old file is left as it was, no temporary file remains, and `reason` holds the
// system's description of what went wrong. A file-size limit or a closed pipe is a failure
// (SIGXFSZ and SIGPIPE are ignored while writing), and SIGTERM, SIGINT or SIGHUP remove a named
// temporary file before the process dies of them.
bool writeFileReplacing(const std::string& path, std::string_view contents, std::string* reason,
                        TemporaryFile temporary = TemporaryFile::UnnamedIfPossible);

} // namespace Quorl
