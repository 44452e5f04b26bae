// The version record of a program file.
#pragma once

#include <string>

namespace corvana {

// The two names start-up takes from it (the record holds more, which the program never reads).
struct VersionRecord {
    std::wstring companyName, productName;
};

// Raises the system's last error when the file has no readable version record.
VersionRecord ReadVersionRecord(const std::wstring& fileName);

// "major.minor" of the file's fixed version; "65535.65535" when it has none.
std::wstring ReadAppVersion(const std::wstring& fileName);

}  // namespace corvana
