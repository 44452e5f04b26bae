// What a job is made with, as the output options stand when the job starts.
#pragma once

#include <string>

namespace corvana {

struct OutputChoice {
    std::wstring format;  // as the list shows it ("MP3", ...)
    bool normalize = false;
    bool useSourceFolder = false;
    std::wstring targetFolder;  // as typed
    std::wstring parameters;    // the saved FFmpeg parameters
};

}  // namespace corvana
