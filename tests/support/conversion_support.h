// Helpers for the conversion and file-list tests: the real ffmpeg.exe beside a program copy,
// sample audio made by it, and a main window whose copy of the program has ffmpeg.exe beside it.
#pragma once

#include <string>

#include "support/app_fixture.h"

namespace corvana::test {

// Puts ffmpeg.exe into the folder (a hard link where the file system allows, else a copy).
void PlaceFFmpegBeside(const std::wstring& folder);

// Runs the built ffmpeg.exe with the arguments in the folder; returns its exit status.
unsigned long RunBuiltFFmpeg(const std::wstring& arguments, const std::wstring& folder);

// Writes a sine tone of the given length into the file (format by its extension).
void MakeTone(const std::wstring& path, double seconds = 0.5);

// True when FFmpeg reads the whole file back without an error.
bool DecodesCleanly(const std::wstring& path);

// The text of a list row's column, as the list view shows it.
std::wstring RowText(HWND list, int row, int column);

class ConversionFixture : public AppFixture {
protected:
    void SetUp() override { PlaceFFmpegBeside(folder.Path()); }
};

}  // namespace corvana::test
