#include "regenerate.h"

#include <algorithm>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quorl {

bool holdsText(const std::string& path, std::string_view text)
{
    struct stat status = {};
    if (lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    // Without waiting, should a FIFO have taken the file's place meanwhile.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    bool same = fd >= 0 && fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
                static_cast<std::size_t>(status.st_size) == text.size();
    char buffer[1 << 16];
    while (same && !text.empty()) {
        const ssize_t got = read(fd, buffer, std::min(sizeof buffer, text.size()));
        same = got > 0 && std::memcmp(buffer, text.data(), static_cast<std::size_t>(got)) == 0;
        text.remove_prefix(same ? static_cast<std::size_t>(got) : 0);
    }
    if (fd >= 0) {
        close(fd);
    }
    return same;
}

} // namespace Quorl
