// The standard message box with a title and button captions of the caller's choosing.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace corvana {

// The kind sets the icon.
enum class MessageKind { Plain, Warning, Error, Information, Confirmation };
enum class MessageButtons { OK, OKCancel, YesNo, YesNoCancel };

// The program's one way to tell the user something: a box with an OK button, modal over owner (the
// active window when none is given). A box that cannot be shown has nobody to tell.
void ShowMessage(const std::wstring& text, MessageKind kind, const std::wstring& title, HWND owner = nullptr);

// Shows the box modally over owner (the active window when none is given) and returns the
// identifier of the button that closed it (IDYES = 6, IDNO = 7, ...). The captions replace those of
// the buttons in their order on the box, left to right, as far as there are any. The first button
// is the default one. With Yes and No only, Escape and the close box answer No.
int ShowMessageDialog(const std::wstring& text, MessageKind kind, MessageButtons buttons, const std::wstring& title,
                      const std::vector<std::wstring>& captions, HWND owner = nullptr);

}  // namespace corvana
