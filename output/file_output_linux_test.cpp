// The writer's Linux rows, run over the writer as built here and over its portable form
// (QUORL_PORTABLE_WRITER), which knows no extended attributes, file flags or append-only folders.
#include "file_output.h"
#include "file_output_posix.h"
#include "unit_helpers.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <grp.h>
#include <linux/fs.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

using namespace unit;

// SELinux as the label rows need it, where no such kernel runs: while `emulatedLabels` is set,
// every file created gets a label, no label can be removed and, when it is 2, none can be set
// either. Defined here, these take the place of the C library's for the whole test program.
static std::atomic<int> emulatedLabels{0};
static std::atomic<int> labelRemovals{0};
static bool isLabel(const char* name)
{
    return std::strncmp(name, "security.", 9) == 0;
}
extern "C" int openat(int folder, const char* path, int flags, ...)
{
    unsigned mode = 0;
    const bool creates = (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE;
    if (creates) {
        va_list rest;
        va_start(rest, flags);
        mode = va_arg(rest, unsigned);
        va_end(rest);
    }
    const auto fd = static_cast<int>(syscall(SYS_openat, folder, path, flags, mode));
    if (fd >= 0 && emulatedLabels != 0 &&
        ((flags & O_TMPFILE) == O_TMPFILE || (flags & (O_CREAT | O_EXCL)) == (O_CREAT | O_EXCL))) {
        syscall(SYS_fsetxattr, fd, "security.quorl", "new_t", 5, 0);
    }
    return fd;
}
extern "C" int fremovexattr(int fd, const char* name)
{
    if (emulatedLabels != 0 && isLabel(name)) {
        ++labelRemovals;
        errno = EACCES;
        return -1;
    }
    return static_cast<int>(syscall(SYS_fremovexattr, fd, name));
}
extern "C" int fsetxattr(int fd, const char* name, const void* value, size_t size, int flags)
{
    if (emulatedLabels == 2 && isLabel(name)) {
        errno = EACCES;
        return -1;
    }
    return static_cast<int>(syscall(SYS_fsetxattr, fd, name, value, size, flags));
}

namespace {

#ifdef QUORL_PORTABLE_WRITER
constexpr bool extended = false;
#else
constexpr bool extended = true;
#endif

std::string bytesOf(std::uint32_t value, std::size_t size)
{
    std::string bytes;
    for (std::size_t i = 0; i < size; ++i) {
        bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    return bytes;
}

// A POSIX ACL as the system keeps it in system.posix_acl_*: {tag, permissions, id} entries.
std::string acl(std::initializer_list<std::array<std::uint32_t, 3>> entries)
{
    std::string bytes = bytesOf(2, 4);
    for (const auto& [tag, permissions, id] : entries) {
        bytes += bytesOf(tag, 2) + bytesOf(permissions, 2) + bytesOf(id, 4);
    }
    return bytes;
}
constexpr std::uint32_t anyId = 0xFFFFFFFF;
const std::string someAcl =
    acl({{0x01, 6, anyId}, {0x02, 6, 1234}, {0x04, 4, anyId}, {0x10, 6, anyId}, {0x20, 4, anyId}});

// The file's user-settable flags; first set to `wanted` when given (-1 when that failed).
int fileFlags(const fs::path& path, int wanted = -1)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    int flags = 0;
    const bool done = wanted < 0 ? ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0
                                 : ioctl(fd, FS_IOC_SETFLAGS, &(flags = wanted)) == 0;
    close(fd);
    return !done && wanted >= 0 ? -1 : flags & FS_FL_USER_MODIFIABLE;
}

// Owner, group, mode and, from the writer that keeps them, extended attributes and flags.
std::string describe(const fs::path& path)
{
    struct stat status = {};
    stat(path.c_str(), &status);
    std::string text = std::to_string(status.st_uid) + ":" + std::to_string(status.st_gid) +
                       " mode " + std::to_string(status.st_mode & 07777);
    if (!extended) {
        return text;
    }
    std::string names(listxattr(path.c_str(), nullptr, 0), '\0');
    names.resize(static_cast<std::size_t>(listxattr(path.c_str(), names.data(), names.size())));
    for (const char* name = names.c_str(); name < names.c_str() + names.size();
         name += std::strlen(name) + 1) {
        std::string value(getxattr(path.c_str(), name, nullptr, 0), '\0');
        getxattr(path.c_str(), name, value.data(), value.size());
        text += std::string(" ") + name + "=";
        for (const char c : value) {
            text += std::to_string(static_cast<unsigned char>(c)) + ",";
        }
    }
    return text + " flags " + std::to_string(fileFlags(path));
}

// The same file written by the writer and by a plain truncating write ends alike: what a plain
// write keeps, a replacement keeps, and what the system drops on a write goes in both.
TEST(FileOutputLinux, KeepsWhatAPlainWriteKeeps)
{
    const bool root = geteuid() == 0;
    struct Row
    {
        const char* name;
        bool needsRoot;
        std::function<bool(const fs::path&)> prepare; // false: the system here refused
    };
    const std::vector<Row> rows = {
        {"ACL, user attribute, flags nodump and noatime", false,
         [](const fs::path& file) {
             return setxattr(file.c_str(), "system.posix_acl_access", someAcl.data(),
                             someAcl.size(), 0) == 0 &&
                    setxattr(file.c_str(), "user.note", "kept", 4, 0) == 0 &&
                    fileFlags(file, FS_NODUMP_FL | FS_NOATIME_FL) >= 0;
         }},
        {"set-user-ID", false,
         [](const fs::path& file) { return chmod(file.c_str(), 04755) == 0; }},
        {"set-group-ID, group may execute", false,
         [](const fs::path& file) { return chmod(file.c_str(), 02775) == 0; }},
        {"another user's file with a file capability", true,
         [](const fs::path& file) {
             // VFS_CAP_REVISION_2 with the effective flag, CAP_NET_RAW permitted.
             const std::string capability =
                 bytesOf(0x02000001, 4) + bytesOf(1u << 13, 4) + std::string(12, '\0');
             return chown(file.c_str(), 4321, 4321) == 0 &&
                    setxattr(file.c_str(), "security.capability", capability.data(),
                             capability.size(), 0) == 0;
         }},
    };
    const fs::path dir = scratchDir("output-keeps");
    int index = 0;
    for (const Row& row : rows) {
        if (row.needsRoot && !root) {
            std::cout << "row '" << row.name << "' skipped: it needs root\n";
            continue;
        }
        const fs::path rowDir = dir / std::to_string(index++);
        fs::create_directory(rowDir);
        const fs::path plain = rowDir / "plain";
        const fs::path written = rowDir / "written";
        for (const fs::path& file : {plain, written}) {
            std::ofstream(file) << "old text\n";
            ASSERT_TRUE(row.prepare(file)) << row.name << ": " << std::strerror(errno);
        }
        // A default ACL on the folder goes to new files, so to the replacement too, but a plain
        // write gives none to an existing file.
        const std::string defaultAcl = acl({{0x01, 7, anyId},
                                            {0x02, 7, 1234},
                                            {0x04, 5, anyId},
                                            {0x10, 7, anyId},
                                            {0x20, 5, anyId}});
        ASSERT_EQ(setxattr(rowDir.c_str(), "system.posix_acl_default", defaultAcl.data(),
                           defaultAcl.size(), 0),
                  0);

        std::ofstream(plain, std::ios::trunc) << "new text\n";
        std::string reason;
        ASSERT_TRUE(Quorl::writeFileReplacing(written.string(), "new text\n", &reason)) << reason;
        EXPECT_EQ(readFile(written), "new text\n");
        EXPECT_EQ(describe(written), describe(plain)) << row.name;
        EXPECT_EQ(std::distance(fs::directory_iterator(rowDir), fs::directory_iterator()), 2);
    }
    fs::remove_all(dir);
}

// A replacement keeps the old file's security label where the process may set it, and otherwise
// the one the system gave it, which it never tries to remove; it is a replacement all the same.
TEST(FileOutputLinux, SecurityLabelsAreNeverRemoved)
{
    if (!extended) {
        GTEST_SKIP() << "the portable writer carries no extended attributes over";
    }
    if (geteuid() != 0) {
        GTEST_SKIP() << "giving a file a security.* attribute needs root";
    }
    const fs::path dir = scratchDir("output-labels");
    const fs::path out = dir / "out";
    std::ofstream(out) << "old\n";
    ASSERT_EQ(setxattr(out.c_str(), "security.quorl", "old_t", 5, 0), 0) << std::strerror(errno);
    for (const int emulation : {1, 2}) {
        struct stat before = {};
        stat(out.c_str(), &before);
        std::string reason;
        emulatedLabels = emulation;
        const bool written = Quorl::writeFileReplacing(out.string(), "new\n", &reason);
        emulatedLabels = 0;
        ASSERT_TRUE(written) << reason;
        struct stat after = {};
        stat(out.c_str(), &after);
        EXPECT_NE(after.st_ino, before.st_ino) << "written in place";
        char label[16] = {};
        getxattr(out.c_str(), "security.quorl", label, sizeof label - 1);
        EXPECT_EQ(std::string(label), emulation == 1 ? "old_t" : "new_t");
        EXPECT_EQ(labelRemovals, 0);
        EXPECT_EQ(readFile(out), "new\n");
        setxattr(out.c_str(), "security.quorl", "old_t", 5, 0);
    }
    fs::remove_all(dir);
}

// Paths ending in a separator, and links longer than a path may be.
TEST(FileOutputLinux, PathsAsAPlainWriteResolvesThem)
{
    const fs::path dir = scratchDir("output-paths");
    std::ofstream(dir / "file") << "old\n";
    std::string reason;
    for (const char* name : {"missing/", "file/"}) {
        EXPECT_FALSE(Quorl::writeFileReplacing((dir / name).string(), "x", &reason)) << name;
        EXPECT_EQ(reason, "Is a directory") << name;
    }

    // A link whose target is 4,000 bytes of folders, reached directly, from a folder of its own
    // and through a second link whose folder is 40 levels down, from where the target's path
    // is longer than a path may be: each link is followed from its own folder, the target
    // replaced and the links left as they are.
    std::string deep;
    for (int level = 0; level < 16; ++level) {
        deep += std::string(249, static_cast<char>('a' + level)) + "/";
    }
    std::string down;
    std::string up;
    for (int level = 0; level < 40; ++level) {
        down += "z/";
        up += "../";
    }
    const fs::path previous = fs::current_path();
    fs::current_path(dir);
    fs::create_directories(deep);
    fs::create_directories(down);
    std::ofstream(deep + "target") << "old\n";
    const fs::path linkFolder = std::string(200, 'l');
    fs::create_directory(linkFolder);
    fs::create_symlink("../" + deep + "target", linkFolder / "link");
    fs::create_symlink(deep + "target", "link");
    fs::create_symlink(up + "link", down + "chain");
    struct stat before = {};
    stat((deep + "target").c_str(), &before);
    for (const fs::path& link : {fs::path("link"), linkFolder / "link", fs::path(down + "chain")}) {
        ASSERT_TRUE(Quorl::writeFileReplacing(link.string(), link.string(), &reason)) << reason;
        EXPECT_EQ(readFile(deep + "target"), link.string());
        EXPECT_TRUE(fs::is_symlink(link));
        struct stat after = {};
        stat((deep + "target").c_str(), &after);
        EXPECT_NE(after.st_ino, before.st_ino) << link.string().size();
        before = after;
    }
    fs::current_path(previous);
    fs::remove_all(dir);
}

// Runs `during` once, when the writer has resolved the path and before it creates anything.
bool writeWith(const fs::path& path, const std::string& text, std::string* reason,
               std::function<void()> during)
{
    static std::function<void()> hook;
    hook = std::move(during);
    Quorl::posix::afterResolving = [] {
        if (hook) {
            std::exchange(hook, nullptr)();
        }
    };
    const bool written = Quorl::writeFileReplacing(path.string(), text, reason);
    Quorl::posix::afterResolving = nullptr;
    return written;
}

std::string modeOf(const fs::path& path)
{
    struct stat status = {};
    lstat(path.c_str(), &status);
    return std::to_string(status.st_uid) + " " + std::to_string(status.st_mode & 07777);
}

// A folder or a link re-pointed while a run writes changes at most which file receives the
// text, never whose owner and mode it gets; nothing is left in either folder.
TEST(FileOutputLinux, FoldersAndLinksSwappedMidRun)
{
    const bool root = geteuid() == 0;
    const fs::path dir = scratchDir("output-swapped");
    for (const char* name : {"theirs", "mine"}) {
        fs::create_directory(dir / name);
        std::ofstream(dir / name / "out") << name;
    }
    chmod((dir / "theirs" / "out").c_str(), 0666);
    chmod((dir / "mine" / "out").c_str(), 0600);
    if (root) {
        chown((dir / "theirs" / "out").c_str(), 65534, 65534);
    }
    const std::string theirs = modeOf(dir / "theirs" / "out");
    const std::string mine = modeOf(dir / "mine" / "out");
    const auto repoint = [&](const char* link, const std::string& to) {
        fs::create_symlink(to, dir / "new-link");
        fs::rename(dir / "new-link", dir / link);
    };
    repoint("folder", "theirs");
    repoint("file", "theirs/out");
    std::string reason;
    struct Swap
    {
        const char* path;
        const char* link;
        const char* to;
    };
    for (const Swap& swap :
         {Swap{"folder/out", "folder", "mine"}, Swap{"file", "file", "mine/out"}}) {
        ASSERT_TRUE(writeWith(dir / swap.path, swap.path, &reason, [&] {
            repoint(swap.link, swap.to);
        })) << reason;
        const bool inTheirs = readFile(dir / "theirs" / "out") == swap.path;
        EXPECT_EQ(readFile(dir / (inTheirs ? "mine" : "theirs") / "out"),
                  inTheirs ? "mine" : "theirs")
            << swap.path;
        EXPECT_EQ(modeOf(dir / "theirs" / "out"), theirs) << swap.path;
        EXPECT_EQ(modeOf(dir / "mine" / "out"), mine) << swap.path;
        for (const char* name : {"theirs", "mine"}) {
            EXPECT_EQ(std::distance(fs::directory_iterator(dir / name), fs::directory_iterator()),
                      1);
        }
        std::ofstream(dir / "theirs" / "out") << "theirs";
        std::ofstream(dir / "mine" / "out") << "mine";
        repoint("folder", "theirs");
        repoint("file", "theirs/out");
    }
    fs::remove_all(dir);
}

// An immutable flag set on the file mid-run fails the run as a plain write would fail, and
// leaves nothing that cannot be removed.
TEST(FileOutputLinux, FileMadeImmutableMidRun)
{
    const fs::path dir = scratchDir("output-immutable");
    std::ofstream(dir / "out") << "old\n";
    if (fileFlags(dir / "out", FS_IMMUTABLE_FL) < 0) {
        fs::remove_all(dir);
        GTEST_SKIP() << "chattr +i refused (it needs root and ext4 or the like): "
                     << std::strerror(errno);
    }
    fileFlags(dir / "out", 0);
    std::string reason;
    EXPECT_FALSE(
        writeWith(dir / "out", "new\n", &reason, [&] { fileFlags(dir / "out", FS_IMMUTABLE_FL); }));
    EXPECT_EQ(reason, "Operation not permitted");
    fileFlags(dir / "out", 0);
    EXPECT_EQ(readFile(dir / "out"), "old\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    fs::remove_all(dir);
}

// A user shut out of the file, watching the folder, never gets a descriptor to the file that
// becomes the output: not as a member of the owning group that the ACL denies, nor as a named
// user of the folder's default ACL, nor as the group of a file only its owner may open (the
// portable writer's named staging file too).
TEST(FileOutputLinux, StagingFilesClosedToThoseShutOut)
{
    if (geteuid() != 0) {
        GTEST_SKIP() << "it needs root, to be the watcher's other user";
    }
    const fs::path dir = scratchDir("output-watched");
    chmod(dir.c_str(), 0755);
    const fs::path out = dir / "out";
    std::ofstream(out) << "old\n";
    constexpr std::uint32_t watcher = 4322;
    constexpr std::uint32_t group = 4321;
    // u::rw, g::---, u:1234:rw, m::rw, o::---: the mode shows 0660.
    const std::string fileAcl = acl(
        {{0x01, 6, anyId}, {0x02, 6, 1234}, {0x04, 0, anyId}, {0x10, 6, anyId}, {0x20, 0, anyId}});
    const std::string defaultAcl = acl({{0x01, 6, anyId},
                                        {0x02, 6, watcher},
                                        {0x04, 0, anyId},
                                        {0x10, 6, anyId},
                                        {0x20, 0, anyId}});
    ASSERT_EQ(chown(out.c_str(), 0, group), 0);
    for (int row = extended ? 0 : 2; row < 3; ++row) {
        removexattr(out.c_str(), "system.posix_acl_access");
        removexattr(dir.c_str(), "system.posix_acl_default");
        chmod(out.c_str(), 0600);
        if (row == 0) {
            ASSERT_EQ(
                setxattr(out.c_str(), "system.posix_acl_access", fileAcl.data(), fileAcl.size(), 0),
                0);
        } else if (row == 1) {
            ASSERT_EQ(setxattr(dir.c_str(), "system.posix_acl_default", defaultAcl.data(),
                               defaultAcl.size(), 0),
                      0);
        }
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) {
            // The watcher: opens every name that appears in the folder, counting what it got.
            const int events = inotify_init1(IN_CLOEXEC);
            const gid_t groups[] = {group};
            if (setgroups(1, groups) != 0 || setgid(group) != 0 || setuid(watcher) != 0 ||
                inotify_add_watch(events, dir.c_str(), IN_CREATE | IN_MOVED_TO) < 0) {
                _exit(255);
            }
            close(ready[1]);
            int opened = 0;
            alignas(inotify_event) char buffer[4096];
            pollfd waits[] = {{events, POLLIN, 0}, {ready[0], POLLIN, 0}};
            while (poll(waits, 2, 10000) > 0 && (waits[0].revents & POLLIN) != 0) {
                const ssize_t got = read(events, buffer, sizeof buffer);
                for (ssize_t at = 0; at < got;) {
                    const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                    const int fd = open((dir / event->name).c_str(), O_RDONLY | O_CLOEXEC);
                    opened += fd >= 0;
                    if (fd >= 0) {
                        close(fd);
                    }
                    at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                }
            }
            _exit(std::min(opened, 254));
        }
        close(ready[0]);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::string reason;
        for (int run = 0; run < 50; ++run) {
            ASSERT_TRUE(Quorl::writeFileReplacing(out.string(), std::to_string(run), &reason))
                << reason;
        }
        close(ready[1]);
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), 0) << "descriptors the watcher got, row " << row;
        EXPECT_EQ(readFile(out), "49");
    }
    fs::remove_all(dir);
}

// Entries of an append-only folder cannot be renamed or removed: the writer writes in place
// there, and leaves nothing behind.
TEST(FileOutputLinux, AppendOnlyFolders)
{
    if (!extended) {
        GTEST_SKIP() << "the portable writer knows no append-only folders";
    }
    const fs::path dir = scratchDir("output-append-only");
    std::ofstream(dir / "out") << "old\n";
    if (fileFlags(dir, FS_APPEND_FL) < 0) {
        fs::remove_all(dir);
        GTEST_SKIP() << "chattr +a refused (it needs root and ext4 or the like): "
                     << std::strerror(errno);
    }
    std::string reason;
    for (const char* name : {"out", "out", "new"}) {
        EXPECT_TRUE(Quorl::writeFileReplacing((dir / name).string(), "text\n", &reason)) << reason;
        EXPECT_EQ(readFile(dir / name), "text\n");
    }
    fileFlags(dir, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 2);
    fs::remove_all(dir);
}

} // namespace
