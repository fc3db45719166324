// Internal to the POSIX writer: what it asks beyond POSIX. file_output_linux.cpp answers for
// Linux, file_output_portable.cpp for any POSIX system; the tests run the writer with either.
#pragma once

#include <csignal>

namespace Quorl::posix {

// Holds the folder `path` (relative to the folder `at`) open for the later *at calls; readable
// where the process may read it, so that it can be flushed.
int openFolder(int at, const char* path);

// Whether links in the folder `fd` stand for open files rather than paths (/proc/self/fd, and
// so /dev/stdout, on Linux): replacing what they lead to would leave the stream on the old file.
bool holdsOpenFileLinks(int fd);

// Whether entries may be added to the folder `fd` but never renamed or removed.
bool isAppendOnlyFolder(int fd);

// A new file in the folder `fd` that has no name, so that nobody else can open it, or -1 where
// the system makes none; nameUnnamed gives it `name` there, failing with EEXIST where that is
// taken.
int openUnnamed(int folder, unsigned mode);
bool nameUnnamed(int fd, int folder, const char* name);

// Gives the file `to` exactly the extended attributes (ACLs among them) and file flags of the
// file `from`, removing what it inherited from its folder but a security label the system gave
// it (security.*: SELinux, Smack), which no process may remove: `from`'s label replaces it where
// the process may set that, else it stays. False where anything else cannot be given, or where
// `from` may only be appended to or not changed at all (a file so marked could not be written,
// and the new one could not be removed).
bool copyExtendedAttributes(int from, int to);

// Makes every signal that can wait do so, until releaseSignals sets `old` back; on Linux also
// the two real-time signals that glibc keeps for itself (32 and 33), which sigprocmask leaves
// out.
void holdSignals(sigset_t* old);
void releaseSignals(const sigset_t* old);

// The tests' hook: called once the path has been resolved, before anything is created.
extern void (*afterResolving)();

} // namespace Quorl::posix
