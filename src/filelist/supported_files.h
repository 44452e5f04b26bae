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
    {L"mp3", true, true},  {L"wav", true, true},   {L"m4a", true, true},   {L"wma", true, true},
    {L"flac", true, true}, {L"webm", true, false}, {L"aiff", true, true},  {L"aac", true, true},
    {L"ogg", true, true},  {L"opus", false, true}, {L"ac3", true, true},   {L"eac3", true, true},
    {L"mp2", true, true},  {L"wv", true, true},    {L"mp4", true, false},  {L"mkv", true, false},
    {L"avi", true, false}, {L"mpg", true, false},  {L"mpeg", true, false}, {L"mov", true, false},
    {L"wmv", true, false}, {L"flv", true, false},  {L"f4v", true, false}};

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
