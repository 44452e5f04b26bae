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
};

// In the order the open dialog lists them.
inline constexpr FileType kFileTypes[] = {
    {L"mp3", true},  {L"wav", true}, {L"m4a", true}, {L"wma", true},   {L"flac", true}, {L"webm", true},
    {L"aiff", true}, {L"aac", true}, {L"ogg", true}, {L"opus", false}, {L"ac3", true},  {L"eac3", true},
    {L"mp2", true},  {L"wv", true},  {L"mp4", true}, {L"mkv", true},   {L"avi", true},  {L"mpg", true},
    {L"mpeg", true}, {L"mov", true}, {L"wmv", true}, {L"flv", true},   {L"f4v", true}};

// True when the name's extension (from the last dot after the last backslash or colon, compared
// without ASCII case) is a type that folder scans, drops and command-line lists take, and the
// name is not one of the program's temporary outputs.
bool IsSupportedFile(std::wstring_view name);

// The open dialog's filter, "|" between its parts: every type, then all files.
std::wstring OpenDialogFilter();

}  // namespace corvana
