// Windows: without POSIX links and signals, a named temporary file beside the output, renamed
// over it.
#include "file_output.h"
#include "file_output_testing.h"
#include "temporary_name.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace Quorl {

bool writeFileReplacing(const std::string& path, std::string_view contents, std::string* reason)
{
    const std::size_t slash = path.find_last_of("/\\");
    const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string tempPath;
    std::FILE* file = nullptr;
    for (int attempt = 0; attempt < attemptsAtAName && file == nullptr; ++attempt) {
        tempPath = randomTemporaryName(directory);
        file = std::fopen(tempPath.c_str(), "wx");
        if (file == nullptr && errno != EEXIST) {
            break;
        }
    }
    if (file == nullptr) {
        *reason = std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    int error = ok ? 0 : errno;
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        error = errno;
    }
    std::error_code renameError;
    if (ok) {
        std::filesystem::rename(tempPath, path, renameError);
    }
    if (!ok || renameError) {
        std::remove(tempPath.c_str());
        *reason = renameError ? renameError.message() : std::strerror(error != 0 ? error : EIO);
        return false;
    }
    return true;
}

bool writeFileReplacingThroughNamedFile(const std::string& path, std::string_view contents,
                                        std::string* reason)
{
    return writeFileReplacing(path, contents, reason);
}

} // namespace Quorl
