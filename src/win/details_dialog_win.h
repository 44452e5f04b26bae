// A box for a long text, such as FFmpeg's output after a failed job: the text in a read-only field
// that scrolls and can be selected and copied, and OK. It is sized to its text but never larger
// than the work area of the owner's monitor, and can be resized; Enter and Escape close it.
#pragma once

#include <windows.h>

#include <string>

namespace corvana {

// Shows the box modally over owner (the active window when none is given). Line breaks of any
// kind (CR, LF, CR LF) in text start a new line.
void ShowDetailsDialog(const std::wstring& text, const std::wstring& caption, HWND owner = nullptr);

}  // namespace corvana
