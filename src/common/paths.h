// Windows paths taken apart as text: the one place that knows where a folder, a file name, an
// extension and a drive begin. A file name is what follows the last backslash or colon; its
// extension starts at its last dot.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace corvana {

std::wstring FolderPart(std::wstring_view path);  // up to and including the last backslash or colon
std::wstring FileNamePart(std::wstring_view path);
std::wstring BaseName(std::wstring_view path);       // the file name without its extension
std::wstring ExtensionPart(std::wstring_view path);  // from the last dot of the file name; may be empty
// The path without its file name and without a trailing backslash; a drive root keeps its own.
std::wstring FolderOf(std::wstring_view path);
std::wstring WithTrailingBackslash(std::wstring path);
// "C:" or "\\server\share"; empty when the path names neither.
std::wstring DrivePart(std::wstring_view path);

// Paths this long or longer are beyond what the file functions take in their plain form (a
// folder's path leaves room for a file name of 8.3 characters below MAX_PATH).
inline constexpr size_t kPlainPathLimit = 248;
// The extended-length form of an absolute, normalised path ("\\?\C:\...", "\\?\UNC\server\share\..."),
// which the file functions take at any length. A path already in that form, a device path and
// any path that is not absolute come back unchanged.
std::wstring ExtendedLengthPath(std::wstring_view path);

}  // namespace corvana
