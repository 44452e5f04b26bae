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
    // "Keep Folder Structure": a row added from a folder goes below the target folder as it lay
    // below the folder added.
    bool keepFolderStructure = false;
    // "Skip Converted Files": a row whose output is there already, whole and not older than its
    // source, is not converted again.
    bool skipConverted = false;
};

}  // namespace corvana
