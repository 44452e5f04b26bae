// What the program knows about itself once started: its file, its maker's and its own name (from
// the version record), the main window's caption and the version.
#pragma once

#include <string>

namespace corvana {

struct ProgramInfo {
    std::wstring path;  // the program file
    std::wstring companyName, productName;
    std::wstring caption;  // "<company> - <product>"
    std::wstring version;
};

}  // namespace corvana
