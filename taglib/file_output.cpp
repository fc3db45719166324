#include "file_output.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#define QUORL_GETPID _getpid
#else
#include <unistd.h>
#define QUORL_GETPID getpid
#endif

namespace Quorl {
namespace {

// The temporary file must sit in the output's own directory: a rename is only atomic within one
// file system.
std::string directoryPrefix(const std::string& path)
{
#ifdef _WIN32
    const std::size_t slash = path.find_last_of("/\\");
#else
    const std::size_t slash = path.rfind('/');
#endif
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Opens a fresh temporary file; "x" refuses to reuse a name, so concurrent runs writing the same
// output never share a temporary file.
std::FILE* openTemporary(const std::string& directory, std::string* tempPath, int* error)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        *tempPath = directory + ".quorlModuleParser-" + std::to_string(QUORL_GETPID()) + "-" +
                    std::to_string(counter++) + ".tmp";
        std::FILE* file = std::fopen(tempPath->c_str(), "wx");
        if (file != nullptr) {
            return file;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    *error = errno;
    return nullptr;
}

} // namespace

bool writeFileReplacing(const std::string& path, std::string_view contents, std::string* reason)
{
    std::string tempPath;
    int error = 0;
    std::FILE* file = openTemporary(directoryPrefix(path), &tempPath, &error);
    if (file == nullptr) {
        *reason = std::strerror(error);
        return false;
    }

    errno = 0;
    bool ok = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    error = ok ? 0 : errno;
    // fclose flushes what fwrite buffered, so a full disk may only show here.
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        std::remove(tempPath.c_str());
        *reason = std::strerror(error != 0 ? error : EIO);
        return false;
    }

    std::error_code renameError;
    std::filesystem::rename(tempPath, path, renameError);
    if (renameError) {
        std::remove(tempPath.c_str());
        *reason = renameError.message();
        return false;
    }
    return true;
}

} // namespace Quorl
