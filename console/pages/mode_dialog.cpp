#include "console/pages/mode_dialog.h"

#include "console/pages/list_page.h"
#include "console/res/resource.h"

bool ModeDialog::OnInitDialog() {
    HWND mode = GetDlgItem(hwnd(), IDC_MODE);
    SendMessageA(mode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ModeText(0)));
    SendMessageA(mode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ModeText(1)));
    SendMessageA(mode, CB_SETCURSEL, static_cast<WPARAM>(initialMode_), 0);
    return true;
}

int32_t ModeDialog::ChosenMode() const {
    HWND mode = GetDlgItem(hwnd(), IDC_MODE);
    LRESULT index = SendMessageA(mode, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) {
        char typed[64] = {};
        GetWindowTextA(mode, typed, sizeof(typed));
        index = SendMessageA(mode, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                             reinterpret_cast<LPARAM>(typed));
    }
    if (index == MODE_INDEX_DISABLED || index == MODE_INDEX_ENABLED)
        return static_cast<int32_t>(index);
    return initialMode_;
}
