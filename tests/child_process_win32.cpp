// Child processes on Windows: CreateProcessW with the standard streams in files. The options
// that only the POSIX fault tests use are refused, so that no test passes without them.
#include "child_process.h"
#include "platform.h"

#include <random>

#include <windows.h>

namespace {

// One argument quoted as the C runtime splits a command line again.
std::wstring quoted(const std::wstring& arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
        return arg;
    }
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

HANDLE inheritableFile(const std::string& path)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileW(Quorl::wideFromUtf8(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                       CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The streams are text: the C runtime wrote "\r\n" for each "\n".
std::string withoutCarriageReturns(std::string text)
{
    std::string::size_type at = 0;
    while ((at = text.find("\r\n", at)) != std::string::npos) {
        text.erase(at, 1);
    }
    return text;
}

} // namespace

Process startProcess(const std::vector<std::string>& argv, const std::string& streamsDir,
                     const ProcessOptions& options)
{
    Process process = processWithStreamsIn(streamsDir);
    if (options.unprivileged || options.fileSizeLimit >= 0 || !options.ignoredSignals.empty() ||
        options.memoryLimit >= 0) {
        return process; // finishProcess reports it as a failure to start
    }
    std::wstring commandLine;
    for (const std::string& arg : argv) {
        commandLine += (commandLine.empty() ? L"" : L" ") + quoted(Quorl::wideFromUtf8(arg));
    }
    const HANDLE out = inheritableFile(process.outPath);
    const HANDLE err = inheritableFile(process.errPath);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION info = {};
    const std::wstring workDir = Quorl::wideFromUtf8(options.workDir);
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       workDir.empty() ? nullptr : workDir.c_str(), &startup, &info)) {
        CloseHandle(info.hThread);
        process.pid = info.hProcess;
    }
    CloseHandle(out);
    CloseHandle(err);
    return process;
}

ProcessResult finishProcess(const Process& process)
{
    ProcessResult result;
    if (process.pid == nullptr) {
        return result; // status -1: not started
    }
    WaitForSingleObject(process.pid, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.pid, &status);
    CloseHandle(process.pid);
    result.status = static_cast<int>(status);
    result.out = withoutCarriageReturns(readFile(Quorl::fileSystemPath(process.outPath)));
    result.err = withoutCarriageReturns(readFile(Quorl::fileSystemPath(process.errPath)));
    return result;
}

std::filesystem::path makeScratchFolder(const std::string& prefix)
{
    std::random_device random;
    for (;;) {
        const auto folder =
            std::filesystem::temp_directory_path() / (prefix + "-" + std::to_string(random()));
        if (std::filesystem::create_directory(folder)) {
            return folder;
        }
    }
}
