// Showing a window modally over its owner, as the feedback form and the about box are.
#pragma once

#include <windows.h>

namespace corvana {

// Shows the window and runs messages until it is destroyed; the owner is disabled meanwhile and
// active again afterwards. A request to end the program ends the wait and is passed on.
void RunModal(HWND window, HWND owner);

}  // namespace corvana
