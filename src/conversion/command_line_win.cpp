// Handling of the program's command line, once, right after start-up: one file converted by
// "-input" and "-output", or the list filled with the files and folders named.
#include "app/main_win.h"
#include "conversion/command_line.h"
#include "conversion/console_runner_win.h"
#include "conversion/conversion_run_win.h"
#include "conversion/ffmpeg_command.h"
#include "filelist/supported_files.h"
#include "win/system_win.h"

namespace corvana {

void MainWindow::HandleCommandLine() {
    KillTimer(hwnd_, CommandLineTimer);
    const std::vector<std::wstring> arguments = ProgramArguments(CommandLine);
    if (arguments.empty()) return;

    const InputOutput cut = CutInputOutput(JoinArguments(arguments));
    if (!cut.input.empty() && !cut.output.empty()) {
        SetStatusText(L"Processing " + cut.input + L"...");
        Application::ProcessMessages();
        Files().AddFile(cut.input);
        // Relative paths mean the current folder at start, for the test, the folder and FFmpeg.
        const std::wstring input = AbsolutePath(cut.input), output = AbsolutePath(cut.output);
        if (!FileExists(input)) {
            SetStatusText(L"File not found!");
            Application::ProcessMessages();
            return;
        }
        conversion_->ConvertCommandLine(input, output);
        return;
    }

    for (const auto& argument : arguments) {
        if (DirectoryExists(argument)) {
            Files().AddFolderContents(argument);
        } else if (IsSupportedFile(argument)) {
            Files().AddFile(argument);
        }
    }
    if (Files().Rows().Empty()) {
        MessageBeep(0);
        SetStatusText(L"Invalid Command Line Arguments!");
        Application::ProcessMessages();
    }
}

}  // namespace corvana
