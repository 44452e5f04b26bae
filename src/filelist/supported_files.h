// The file types Corvana takes: one list for the open dialog's filter, folder scans, drops and
// command-line lists; the extension alone decides.
#pragma once

#include <string>
#include <string_view>

namespace corvana {

struct FileType {
    std::wstring_view extension;  // without the dot, lower case
    // Opus files can be chosen in the open dialog, but folder scans, drops and command-line lists
    // pass them over, as the program always has.
    bool takenFromFolders;
    // A container of audio alone: any picture in it is a cover, never a film.
    bool audioOnly;
};

// In the order the open dialog lists them.
inline constexpr FileType kFileTypes[] = {
    {L"mp3", true, true},
    {L"wav", true, true},
    {L"m4a", true, true},
    {L"wma", true, true},
    {L"flac", true, true},
    {L"webm", true, false},
    {L"aiff", true, true},
    {L"aac", true, true},
    {L"ogg", true, true},
    {L"opus", false, true},
    {L"ac3", true, true},
    {L"eac3", true, true},
    {L"mp2", true, true},
    {L"wv", true, true},
    {L"mp4", true, false},
    {L"mkv", true, false},
    {L"avi", true, false},
    {L"mpg", true, false},
    {L"mpeg", true, false},
    {L"mov", true, false},
    {L"wmv", true, false},
    {L"flv", true, false},
    {L"f4v", true, false},
    // Other names of the types above and the other audio files people have: AIFF as most files
    // are named (".aif", and the compressed ".aifc"), audiobooks (".m4b"), the audio forms of Ogg
    // and Matroska (".oga", ".mka"), phone videos (".3gp"), Monkey's Audio, Musepack, TTA, Speex
    // and DSD files, and the film containers of camcorders, broadcasts and DVDs (".m2ts", ".ts",
    // ".vob"). A ".ts" that is a program's source text ends as "Error" with FFmpeg's reason.
    {L"aif", true, true},
    {L"aifc", true, true},
    {L"m4b", true, true},
    {L"oga", true, true},
    {L"mka", true, true},
    {L"3gp", true, false},
    {L"ape", true, true},
    {L"mpc", true, true},
    {L"tta", true, true},
    {L"spx", true, true},
    {L"dsf", true, true},
    {L"m2ts", true, false},
    {L"ts", true, false},
    {L"vob", true, false}};

// True when the name's extension (from the last dot after the last backslash or colon, compared
// without ASCII case) is a type that folder scans, drops and command-line lists take, and the
// name is not one of the program's temporary outputs.
bool IsSupportedFile(std::wstring_view name);

// True when the name's extension is one of the types that hold audio alone; false for the
// film containers and for any other name.
bool IsAudioOnlyFile(std::wstring_view name);

// The open dialog's filter, "|" between its parts: every type, then all files.
std::wstring OpenDialogFilter();

}  // namespace corvana
