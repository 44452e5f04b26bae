#include "conversion/console_runner_win.h"

#include <vector>

#include "common/app_error.h"
#include "conversion/console_text.h"
#include "conversion/ffmpeg_command.h"
#include "win/handles_win.h"
#include "win/system_win.h"

namespace corvana {

std::wstring FindProgram(const std::wstring& name, const std::wstring& firstFolder) {
    if (!firstFolder.empty()) {
        const std::wstring beside = WithTrailingBackslash(firstFolder) + name;
        if (FileExists(beside)) return beside;
    }
    // Only the folders of the search path: SearchPathW's own default would look beside the
    // calling executable and in the current folder first.
    const DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    if (size == 0) return L"";
    std::wstring searchPath(size, L'\0');
    searchPath.resize(GetEnvironmentVariableW(L"PATH", searchPath.data(), size));
    std::wstring found(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = SearchPathW(searchPath.c_str(), name.c_str(), nullptr, static_cast<DWORD>(found.size()),
                                    found.data(), nullptr);
        if (n == 0) return L"";
        if (n < found.size()) {
            found.resize(n);
            return FileExists(found) ? found : L"";
        }
        found.resize(n);
    }
}

ConsoleRun RunConsoleProgram(const std::wstring& application, const std::wstring& commandLine,
                             const std::wstring& workDir) {
    ConsoleRun run;
    SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) {
        run.startError = GetLastError();
        return run;
    }
    UniqueKernelHandle reader(readEnd), writer(writeEnd);
    // The child needs only the write end.
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    PROCESS_INFORMATION pi{};
    std::wstring mutableLine = commandLine;
    const BOOL started = CreateProcessW(application.c_str(), mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        workDir.empty() ? nullptr : workDir.c_str(), &si, &pi);
    run.startError = started ? 0 : GetLastError();
    // Our copy of the write end must go, or the pipe never reports that the writers are gone.
    writer.reset();
    if (!started) return run;
    UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);

    std::vector<char> buffer(65536);
    const auto readAvailable = [&]() {
        DWORD available = 0;
        if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) || available == 0) return false;
        DWORD got = 0;
        const DWORD want = std::min<DWORD>(available, static_cast<DWORD>(buffer.size()));
        if (!ReadFile(readEnd, buffer.data(), want, &got, nullptr) || got == 0) return false;
        run.output.append(buffer.data(), got);
        return true;
    };
    // While the child runs, take what it wrote so a full pipe never holds it up; once it has
    // ended, take what is left and stop.
    for (;;) {
        if (readAvailable()) continue;
        if (WaitForSingleObject(process.get(), 1) == WAIT_OBJECT_0) {
            while (readAvailable()) {
            }
            break;
        }
    }
    DWORD status = 0;
    GetExitCodeProcess(process.get(), &status);
    run.exitStatus = status;
    return run;
}

std::wstring AnsiToWide(std::string_view bytes) {
    if (bytes.empty()) return L"";
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return text;
}

std::wstring RedecodeAsUtf8(std::string_view bytes) {
    return DecodeConsoleBytes(bytes, AnsiToWide);
}

int64_t FindFileSize(const std::wstring& path) {
    WIN32_FIND_DATAW fd;
    UniqueFindHandle find(FindFirstFileW(path.c_str(), &fd));
    if (!find) return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow);
}

bool ForceDirectories(std::wstring folder) {
    if (folder.empty()) throw AppError(L"Unable to create directory");
    // Walk up to the first folder that exists, then create the missing ones top down.
    std::vector<std::wstring> missing;
    for (;;) {
        while (folder.size() > 1 && folder.back() == L'\\' && folder[folder.size() - 2] != L':') folder.pop_back();
        if (folder.empty() || DirectoryExists(folder)) break;
        const std::wstring parent = FolderPart(folder);
        missing.push_back(folder);
        if (parent.empty() || parent == folder || (parent.size() <= 3 && parent.back() == L':')) break;
        folder = parent;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        if (!CreateDirectoryW(it->c_str(), nullptr) && !DirectoryExists(*it)) return false;
    return true;
}

}  // namespace corvana
