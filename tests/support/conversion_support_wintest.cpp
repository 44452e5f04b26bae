#include "support/conversion_support.h"

#include <tlhelp32.h>

#include <atomic>

#include "common/paths.h"
#include "common/text.h"
#include "conversion/console_runner_win.h"
#include "support/tone_wav.h"

namespace corvana::test {

void PlaceFFmpegBeside(const std::wstring& folder) {
    const std::wstring target = folder + L"\\ffmpeg.exe";
    if (!CreateHardLinkW(target.c_str(), BuiltFFmpeg().c_str(), nullptr))
        CopyFileW(BuiltFFmpeg().c_str(), target.c_str(), FALSE);
}

CapturedRun RunConsoleProgram(const std::wstring& application, const std::wstring& commandLine,
                              const std::wstring& workDir) {
    CapturedRun captured;
    captured.exitStatus = RunProcess(application, commandLine, workDir, [&](std::string_view bytes) {
                              captured.output.append(bytes);
                          }).exitStatus;
    return captured;
}

unsigned long RunBuiltFFmpeg(const std::wstring& arguments, const std::wstring& folder) {
    const CapturedRun run = RunConsoleProgram(BuiltFFmpeg(), L"ffmpeg.exe " + arguments, folder);
    return run.exitStatus ? *run.exitStatus : 0xFFFFFFFFul;
}

void MakeTone(const std::wstring& path, double seconds, int sampleRate, int channels) {
    const std::string wav = ToneWav(seconds, sampleRate, channels);
    if (EqualsIgnoreAsciiCase(ExtensionPart(path), L".wav")) {
        WriteFileBytes(path, wav);
        return;
    }
    const std::wstring source = path + L".source.wav";
    WriteFileBytes(source, wav);
    RunBuiltFFmpeg(L"-y -v error -i \"" + source + L"\" \"" + path + L"\"", BuildDir());
    DeleteFileW(source.c_str());
}

bool DecodesCleanly(const std::wstring& path) {
    // Decoded in full into a WAV file of the temporary folder, removed again.
    wchar_t temp[MAX_PATH]{};
    GetTempPathW(MAX_PATH, temp);
    static std::atomic<int> counter{0};
    const std::wstring decoded = std::wstring(temp) + L"corvana-decoded-" + std::to_wstring(GetCurrentProcessId()) +
                                 L"-" + std::to_wstring(++counter) + L".wav";
    const bool clean =
        RunBuiltFFmpeg(L"-y -v error -xerror -i \"" + path + L"\" \"" + decoded + L"\"", BuildDir()) == 0;
    DeleteFileW(decoded.c_str());
    return clean;
}

bool ConvertAndWait(MainWindow& form, DWORD timeoutMs) {
    SendMessageW(form.ConvertButton(), BM_CLICK, 0, 0);
    return PumpUntil([&] { return !form.ConversionRunning(); }, timeoutMs);
}

JobResult ConvertNow(const std::wstring& programFolder, const std::wstring& source, const std::wstring& output,
                     const std::wstring& parameters, bool normalize) {
    ConsoleProcessRunner runner(programFolder);
    WindowsJobFiles files;
    JobTicket ticket;
    ticket.source = source;
    ticket.output = output;
    ticket.temporary = TemporaryOutputPath(output, L"test");
    ticket.parameters = parameters;
    ticket.normalize = normalize;
    ticket.replaceExisting = true;
    std::atomic<bool> stop{false};
    return RunJob(ticket, runner, files, stop);
}

std::vector<std::wstring> TemporaryOutputsIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    UniqueFindHandle find(FindFirstFileW((folder + L"\\~*.part.*").c_str(), &fd));
    if (find) {
        do names.push_back(fd.cFileName);
        while (FindNextFileW(find.get(), &fd));
    }
    return names;
}

std::vector<DWORD> RunningProcesses(const wchar_t* exeName) {
    std::vector<DWORD> ids;
    UniqueKernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
        if (_wcsicmp(entry.szExeFile, exeName) == 0) ids.push_back(entry.th32ProcessID);
    return ids;
}

std::wstring RowText(HWND list, int row, int column) {
    std::wstring text(1024, L'\0');
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const auto n = SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    text.resize(static_cast<size_t>(n));
    return text;
}

}  // namespace corvana::test
