// Where a row's output goes when the folder structure is kept: below the target folder, in a
// folder named after the folder the row was added from, and in the same sub-folders the source
// is in below that one.
#pragma once

#include <string>
#include <string_view>

namespace corvana {

// The name a folder gets below the target: its own name, made one that Windows accepts. A drive
// root ("D:\") gives its letter, a share ("\\server\music") its share name; characters a name
// cannot hold become "_", trailing dots and blanks go, and a device name ("CON", "LPT1") gets a
// "_" after it.
std::wstring TargetFolderName(std::wstring_view folder);

// target + "\" + TargetFolderName(addedFrom) + the part of sourceFolder below addedFrom. Both
// folders absolute; a source that is not below addedFrom (letter case aside) goes into the
// added folder's own folder below the target.
std::wstring StructuredOutputFolder(std::wstring_view target, std::wstring_view addedFrom,
                                    std::wstring_view sourceFolder);

}  // namespace corvana
