// Helpers for the tests of the file list as a user handles it: reading rows and the selection of
// the list view, clicking its column headers and typing keys into it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "support/conversion_support.h"

namespace corvana::test {

inline std::vector<std::wstring> ListCaptions(HWND list) {
    std::vector<std::wstring> captions;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) captions.push_back(RowText(list, i, 0));
    return captions;
}

// The "Result" column, top to bottom.
inline std::vector<std::wstring> ListResults(HWND list) {
    std::vector<std::wstring> results;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) results.push_back(RowText(list, i, 1));
    return results;
}

inline std::vector<int> SelectedPositions(HWND list) {
    std::vector<int> rows;
    for (int i = -1; (i = ListView_GetNextItem(list, i, LVNI_SELECTED)) != -1;) rows.push_back(i);
    return rows;
}

inline std::vector<std::wstring> SelectedCaptionsOf(HWND list) {
    std::vector<std::wstring> captions;
    for (int i : SelectedPositions(list)) captions.push_back(RowText(list, i, 0));
    return captions;
}

// Selects exactly the rows with these captions.
inline void SelectCaptions(HWND list, const std::vector<std::wstring>& captions) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    const std::set<std::wstring> wanted(captions.begin(), captions.end());
    for (int i = 0; i < ListView_GetItemCount(list); ++i)
        if (wanted.count(RowText(list, i, 0))) ListView_SetItemState(list, i, LVIS_SELECTED, LVIS_SELECTED);
}

// A click on a column header with the mouse, as the header control receives it.
inline void ClickColumnHeader(HWND list, int column) {
    const HWND header = ListView_GetHeader(list);
    RECT rc{};
    Header_GetItemRect(header, column, &rc);
    const LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    SendMessageW(header, WM_MOUSEMOVE, 0, at);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(header, WM_LBUTTONUP, 0, at);
}

// A key pressed in the list with these modifier keys held (VK_CONTROL, VK_SHIFT, VK_MENU).
inline void PressKeyInList(HWND list, WPARAM key, std::initializer_list<BYTE> modifiers = {}) {
    BYTE saved[256]{}, state[256]{};
    GetKeyboardState(saved);
    for (BYTE m : modifiers) state[m] = 0x80;
    SetKeyboardState(state);
    SendMessageW(list, WM_KEYDOWN, key, 1);
    SendMessageW(list, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
    SetKeyboardState(saved);
}

}  // namespace corvana::test
