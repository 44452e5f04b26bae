#include "support/conversion_support.h"

#include "conversion/console_runner_win.h"

namespace corvana::test {

void PlaceFFmpegBeside(const std::wstring& folder) {
    const std::wstring target = folder + L"\\ffmpeg.exe";
    if (!CreateHardLinkW(target.c_str(), BuiltFFmpeg().c_str(), nullptr))
        CopyFileW(BuiltFFmpeg().c_str(), target.c_str(), FALSE);
}

unsigned long RunBuiltFFmpeg(const std::wstring& arguments, const std::wstring& folder) {
    const ConsoleRun run = RunConsoleProgram(BuiltFFmpeg(), L"ffmpeg.exe " + arguments, folder);
    return run.exitStatus ? *run.exitStatus : 0xFFFFFFFFul;
}

void MakeTone(const std::wstring& path, double seconds) {
    RunBuiltFFmpeg(
        L"-y -v error -f lavfi -i sine=frequency=440:duration=" + std::to_wstring(seconds) + L" \"" + path + L"\"",
        BuildDir());
}

bool DecodesCleanly(const std::wstring& path) {
    return RunBuiltFFmpeg(L"-v error -xerror -i \"" + path + L"\" -f null -", BuildDir()) == 0;
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
