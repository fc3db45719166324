// What any POSIX system gets for file_output_posix.h: no links to open files, and no append-only
// folders, extended attributes or file flags that the writer knows of.
#include "file_output_posix.h"

namespace Quorl::posix {

bool holdsOpenFileLinks(const std::string&)
{
    return false;
}

bool isAppendOnlyFolder(int)
{
    return false;
}

bool copyExtendedAttributes(int, int)
{
    return true;
}

} // namespace Quorl::posix
