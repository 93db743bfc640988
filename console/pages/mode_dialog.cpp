#include "console/pages/mode_dialog.h"

#include "console/pages/list_page.h"
#include "console/res/resource.h"
#include "platform/message_box.h"

const char MSG_UNKNOWN_MODE[] =
    "Choose a Mode the list offers: \"Logon disabled\" or \"Logon enabled\".";

namespace {
// The chooser item its text names, compared without regard to case; CB_ERR for none.
LRESULT TypedModeIndex(HWND mode) {
    char typed[64] = {};
    GetWindowTextA(mode, typed, sizeof(typed));
    return SendMessageA(mode, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                        reinterpret_cast<LPARAM>(typed));
}
} // namespace

bool ModeDialog::OnInitDialog() {
    HWND mode = GetDlgItem(hwnd(), IDC_MODE);
    SendMessageA(mode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ModeText(0)));
    SendMessageA(mode, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ModeText(1)));
    SendMessageA(mode, CB_SETCURSEL, static_cast<WPARAM>(initialMode_), 0);
    return true;
}

bool ModeDialog::OnCommand(UINT id, UINT code, HWND) {
    if (id != IDOK || code != BN_CLICKED)
        return false;
    HWND mode = GetDlgItem(hwnd(), IDC_MODE);
    LRESULT index = TypedModeIndex(mode);
    if (index == CB_ERR) {
        ShowMessageBox(MSG_UNKNOWN_MODE, nullptr, BOX_OK | BOX_ICONWARNING);
        // The text selected, so what is typed next replaces it.
        SendMessageA(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(mode), TRUE);
        SendMessageA(mode, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
        return true;
    }
    SendMessageA(mode, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    return false;
}

int32_t ModeDialog::ChosenMode() const {
    // The text, not the list's selection: typing leaves the selection as it was.
    LRESULT index = TypedModeIndex(GetDlgItem(hwnd(), IDC_MODE));
    if (index == MODE_INDEX_DISABLED || index == MODE_INDEX_ENABLED)
        return static_cast<int32_t>(index);
    return initialMode_;
}
