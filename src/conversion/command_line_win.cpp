// Handling of the program's command line, once, right after start-up: one file converted by
// "-input" and "-output", or the list filled with the files and folders named.
#include "conversion/command_line.h"
#include "conversion/console_runner_win.h"
#include "conversion/conversion_run_win.h"
#include "conversion/ffmpeg_command.h"
#include "win/application_win.h"
#include "win/system_win.h"

namespace corvana {

void ConversionSession::HandleCommandLine(const std::wstring& commandLine) {
    const std::vector<std::wstring> arguments = ProgramArguments(commandLine);
    if (arguments.empty()) return;

    const InputOutput cut = CutInputOutput(JoinArguments(arguments));
    if (!cut.input.empty() && !cut.output.empty()) {
        // Until the conversion has succeeded, ending the program means it failed.
        exitStatus_ = 1;
        parts_.status.SetText(L"Processing " + cut.input + L"...");
        Application::ProcessMessages();
        parts_.addFile(cut.input);
        // Relative paths mean the current folder at start, for the test, the folder and FFmpeg.
        const std::wstring input = AbsolutePath(cut.input), output = AbsolutePath(cut.output);
        if (!FileExists(input)) {
            parts_.status.SetText(L"File not found!");
            Application::ProcessMessages();
            return;
        }
        ConvertCommandLine(input, output);
        return;
    }

    parts_.addPaths(arguments);
    if (parts_.rows.Empty()) {
        exitStatus_ = 1;
        MessageBeep(0);
        parts_.status.SetText(L"Invalid Command Line Arguments!");
        Application::ProcessMessages();
    }
}

}  // namespace corvana
