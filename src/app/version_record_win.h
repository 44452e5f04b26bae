// The version record of a program file.
#pragma once

#include <string>

namespace corvana {

struct VersionRecord {
    std::wstring CompanyName, FileDescription, FileVersion, InternalName, LegalCopyright, LegalTrademarks,
        OriginalFileName, ProductName, ProductVersion, Comments, PrivateBuild, SpecialBuild;
};

// Raises the system's last error when the file has no readable version record.
VersionRecord ReadVersionRecord(const std::wstring& fileName);

// "major.minor" of the file's fixed version; "65535.65535" when it has none.
std::wstring ReadAppVersion(const std::wstring& fileName);

}  // namespace corvana
