// What any POSIX system gets for file_output_posix.h: no links to open files, no unnamed files,
// and no append-only folders, extended attributes or file flags that the writer knows of.
#include "file_output_posix.h"

#include <cerrno>

#include <fcntl.h>

namespace Quorl::posix {

int openFolder(int at, const char* path)
{
#ifdef O_SEARCH
    const int fd = openat(at, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return fd >= 0 || errno != EACCES ? fd : openat(at, path, O_SEARCH | O_DIRECTORY | O_CLOEXEC);
#else
    return openat(at, path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#endif
}

bool holdsOpenFileLinks(int)
{
    return false;
}

int openUnnamed(int, unsigned)
{
    return -1;
}

bool nameUnnamed(int, int, const char*)
{
    errno = ENOTSUP;
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

void holdSignals(sigset_t* old)
{
    sigset_t all;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, old);
}

void releaseSignals(const sigset_t* old)
{
    sigprocmask(SIG_SETMASK, old, nullptr);
}

} // namespace Quorl::posix
