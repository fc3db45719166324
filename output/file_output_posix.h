// Internal to the POSIX writer: what it asks beyond POSIX. file_output_linux.cpp answers for
// Linux, file_output_portable.cpp for any POSIX system; the tests run the writer with either.
#pragma once

#include <string>

namespace Quorl::posix {

// Whether links in `folder` stand for open files rather than paths (/proc/self/fd, and so
// /dev/stdout, on Linux): replacing what they lead to would leave the stream on the old file.
bool holdsOpenFileLinks(const std::string& folder);

// Whether entries may be added to the folder open as `fd` but never renamed or removed.
bool isAppendOnlyFolder(int fd);

// Gives the file `to` exactly the extended attributes (ACLs among them) and file flags of the
// file `from`; false where any of them cannot be given.
bool copyExtendedAttributes(int from, int to);

} // namespace Quorl::posix
