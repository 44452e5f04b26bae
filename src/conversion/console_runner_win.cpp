#include "conversion/console_runner_win.h"

#include <atomic>
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

namespace {

// Every program started here belongs to one job object that ends them all when it closes, which
// happens when this process ends, however it ends: no FFmpeg outlives the program.
HANDLE ChildrenJob() {
    static const HANDLE job = [] {
        HANDLE h = CreateJobObjectW(nullptr, nullptr);
        if (h) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
            limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            SetInformationJobObject(h, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
        }
        return h;  // kept open for the life of the process on purpose
    }();
    return job;
}

constexpr DWORD kQuitGrace = 2000;  // ms a program has to quit after "q" before it is ended
// How often a running child's output is looked at; its end is noticed at once.
constexpr DWORD kReadInterval = 50;

// Where a child writes its standard output and standard error, and where this process reads them.
struct ChildOutput {
    UniqueKernelHandle childEnd, ourEnd;
    bool pipe = false;
};

// A file of its own in the temporary folder, gone when the last handle to it closes (also when
// this process ends abruptly). Under Wine every write into a pipe goes through the Wine server,
// which made a short job about 4 % slower than one writing to a file.
ChildOutput OutputFile() {
    static std::atomic<unsigned> counter{0};
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) return {};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring path = std::wstring(temp) + L"corvana-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(counter++) + L".log";
        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        constexpr DWORD kShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        UniqueFileHandle write(CreateFileW(path.c_str(), GENERIC_WRITE, kShare, &inherit, CREATE_NEW,
                                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (!write) {
            if (GetLastError() == ERROR_FILE_EXISTS) continue;  // a leftover of an earlier process
            return {};
        }
        // Read through a handle of its own, with its own position.
        UniqueFileHandle read(CreateFileW(path.c_str(), GENERIC_READ, kShare, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!read) return {};
        return {UniqueKernelHandle(write.release()), UniqueKernelHandle(read.release()), false};
    }
    return {};
}

// A pipe, when no such file can be made (no writable temporary folder).
ChildOutput OutputPipe() {
    ChildOutput output;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    if (!CreatePipe(output.ourEnd.put(), output.childEnd.put(), &inherit, 65536)) return {};
    SetHandleInformation(output.ourEnd.get(), HANDLE_FLAG_INHERIT, 0);
    output.pipe = true;
    return output;
}

// Only the handles named are inherited by the child: several jobs start children at once, and
// none may get another's.
class InheritedHandles {
public:
    explicit InheritedHandles(std::vector<HANDLE> handles) : handles_(std::move(handles)) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        storage_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
        if (InitializeProcThreadAttributeList(list, 1, 0, &size) &&
            UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_.data(),
                                      handles_.size() * sizeof(HANDLE), nullptr, nullptr))
            list_ = list;
    }
    ~InheritedHandles() {
        if (list_) DeleteProcThreadAttributeList(list_);
    }
    InheritedHandles(const InheritedHandles&) = delete;
    InheritedHandles& operator=(const InheritedHandles&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST List() const { return list_; }

private:
    std::vector<HANDLE> handles_;
    std::vector<char> storage_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

}  // namespace

ConsoleRun RunProcess(const std::wstring& application, const std::wstring& commandLine, const std::wstring& workDir,
                      const std::function<void(std::string_view)>& onOutput, const std::function<bool()>& shouldEnd) {
    ConsoleRun run;
    ChildOutput output = OutputFile();
    if (!output.childEnd) output = OutputPipe();
    if (!output.childEnd) {
        run.startError = GetLastError();
        return run;
    }
    UniqueKernelHandle inReader, inWriter;
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    if (!CreatePipe(inReader.put(), inWriter.put(), &inherit, 0)) {
        run.startError = GetLastError();
        return run;
    }
    SetHandleInformation(inWriter.get(), HANDLE_FLAG_INHERIT, 0);
    const InheritedHandles inherited({inReader.get(), output.childEnd.get()});
    if (!inherited.List()) {
        run.startError = GetLastError();
        return run;
    }

    STARTUPINFOEXW si{};
    si.StartupInfo.cb = sizeof(si);
    si.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.StartupInfo.wShowWindow = SW_HIDE;
    si.StartupInfo.hStdInput = inReader.get();  // where "q" asks FFmpeg to quit
    si.StartupInfo.hStdOutput = output.childEnd.get();
    si.StartupInfo.hStdError = output.childEnd.get();
    si.lpAttributeList = inherited.List();
    PROCESS_INFORMATION pi{};
    std::wstring mutableLine = commandLine;
    // Without a console: its standard handles are the file and the pipe, and a windowed program's
    // child would otherwise get a console of its own, whose host costs every start (under Wine
    // about 75 ms of 205; a hidden console, CREATE_NO_WINDOW, still about 45). Suspended until it
    // is in the job, so that not even its first instant is outside it.
    const BOOL started = CreateProcessW(application.c_str(), mutableLine.data(), nullptr, nullptr, TRUE,
                                        DETACHED_PROCESS | CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                                        workDir.empty() ? nullptr : workDir.c_str(), &si.StartupInfo, &pi);
    run.startError = started ? 0 : GetLastError();
    // The child has its copies; ours of its ends must go, or a pipe never reports that the writers
    // are gone.
    inReader.reset();
    output.childEnd.reset();
    if (!started) return run;
    UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
    // Should this process sit in a job that forbids another one, the child simply runs outside it.
    if (HANDLE job = ChildrenJob()) AssignProcessToJobObject(job, pi.hProcess);
    ResumeThread(pi.hThread);

    std::vector<char> buffer(65536);
    const HANDLE ours = output.ourEnd.get();
    const auto readAvailable = [&]() {
        // A file read at its end returns nothing at once; a pipe's would wait for the next write.
        DWORD available = 0;
        if (output.pipe && (!PeekNamedPipe(ours, nullptr, 0, nullptr, &available, nullptr) || available == 0))
            return false;
        const DWORD want = output.pipe ? std::min<DWORD>(available, static_cast<DWORD>(buffer.size()))
                                       : static_cast<DWORD>(buffer.size());
        DWORD got = 0;
        if (!ReadFile(ours, buffer.data(), want, &got, nullptr) || got == 0) return false;
        onOutput(std::string_view(buffer.data(), got));
        return true;
    };
    // While the child runs, take what it wrote every so often (and so that a full pipe never
    // holds it up); once it has ended, take what is left and stop. A pipe's end of data is not
    // waited for: Wine reports it about a second after the child has gone.
    std::optional<ULONGLONG> askedToQuit;
    for (;;) {
        if (!readAvailable() && WaitForSingleObject(process.get(), kReadInterval) == WAIT_OBJECT_0) {
            while (readAvailable()) {
            }
            break;
        }
        if (shouldEnd && shouldEnd()) {
            if (!askedToQuit) {
                DWORD written = 0;
                WriteFile(inWriter.get(), "q", 1, &written, nullptr);
                askedToQuit = GetTickCount64();
            } else if (GetTickCount64() - *askedToQuit >= kQuitGrace) {
                TerminateProcess(process.get(), 1);
            }
        }
    }
    DWORD status = 0;
    GetExitCodeProcess(process.get(), &status);
    run.exitStatus = status;
    return run;
}

ConsoleProcessRunner::ConsoleProcessRunner(std::wstring programFolder) : programFolder_(std::move(programFolder)) {}

ProcessRunner::Outcome ConsoleProcessRunner::Run(const std::wstring& commandLine,
                                                 const std::function<void(std::string_view)>& onOutput,
                                                 const std::function<bool()>& shouldEnd) {
    // The program is started directly, not through the command interpreter, so that nothing in
    // a path (such as %NAME%) is expanded or taken as a command.
    const std::wstring name = commandLine.substr(0, commandLine.find(L' '));
    const std::wstring application = FindProgram(name, programFolder_);
    if (application.empty())
        return {std::nullopt,
                name + L" was not found beside the program (" + programFolder_ + L") or on the search path."};
    const ConsoleRun run = RunProcess(application, commandLine, programFolder_, onOutput, shouldEnd);
    if (!run.exitStatus)
        return {std::nullopt, application + L" could not be started: " + SystemErrorText(run.startError)};
    return {run.exitStatus, L""};
}

std::wstring ConsoleProcessRunner::Decode(std::string_view bytes) const {
    return DecodeConsoleOutput(bytes);
}

bool ConsoleProcessRunner::IsRunning(uint32_t processId) const {
    UniqueKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process) {
        // A process that exists but may not be opened still runs; a gone one has no id.
        return GetLastError() == ERROR_ACCESS_DENIED;
    }
    return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

std::wstring AnsiToWide(std::string_view bytes) {
    if (bytes.empty()) return L"";
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return text;
}

std::wstring DecodeConsoleOutput(std::string_view bytes) {
    return DecodeConsoleBytes(bytes, AnsiToWide);
}

namespace {
std::optional<BY_HANDLE_FILE_INFORMATION> FileIdentity(const std::wstring& path) {
    UniqueFileHandle file(CreateFileW(FileApiPath(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    return info;
}
}  // namespace

bool WindowsJobFiles::FileExists(const std::wstring& path) const {
    return corvana::FileExists(path);
}

int64_t WindowsJobFiles::FileSize(const std::wstring& path) const {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(FileApiPath(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

bool WindowsJobFiles::SameFile(const std::wstring& a, const std::wstring& b) const {
    const auto x = FileIdentity(a), y = FileIdentity(b);
    return x && y && x->dwVolumeSerialNumber == y->dwVolumeSerialNumber && x->nFileIndexHigh == y->nFileIndexHigh &&
           x->nFileIndexLow == y->nFileIndexLow;
}

std::optional<std::wstring> WindowsJobFiles::Rename(const std::wstring& from, const std::wstring& to, bool replace) {
    // A finished file can be held for a moment by another program (a virus scanner looking at the
    // new file, an indexer, the ended FFmpeg's handle not closed yet): its name waits for it, up
    // to two seconds.
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(FileApiPath(from).c_str(), FileApiPath(to).c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0))
            return std::nullopt;
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_LOCK_VIOLATION) || attempt == 40)
            return SystemErrorText(error);
        Sleep(50);
    }
}

void WindowsJobFiles::Delete(const std::wstring& path) {
    // A file that cannot be deleted stays; the job's result already says what went wrong.
    DeleteFileW(FileApiPath(path).c_str());
}

std::vector<std::wstring> WindowsJobFiles::FileNamesIn(const std::wstring& folder) const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    UniqueFindHandle find(FindFirstFileExW(FileApiPath(WithTrailingBackslash(folder) + L"*").c_str(), FindExInfoBasic,
                                           &found, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) return names;
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    while (FindNextFileW(find.get(), &found));
    return names;
}

std::optional<std::wstring> WindowsJobFiles::CreateFolder(const std::wstring& folder) {
    SetLastError(0);
    if (!folder.empty() && ForceDirectories(folder)) return std::nullopt;
    const DWORD error = GetLastError();
    return error ? SystemErrorText(error) : L"The folder could not be created.";
}

}  // namespace corvana
