#include "console/widgets/masked_edit.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "console/widgets/mask_rules.h"
#include "console/widgets/procedure_guard.h"
#include "console/widgets/widget_common.h"

namespace {

const UINT_PTR SUBCLASS_ID = 0x4D45; // "ME"
// The state is found through a window property as well (comctl32 exports no lookup of a
// subclass's data by name on every system).
const wchar_t STATE_PROPERTY[] = L"GwMaskedEdit";

struct MaskedEditState {
    MaskFormat format; // an empty mask: a plain edit
};

// The window's text is single-byte by the mask's rules: a character outside ASCII
// becomes one no position accepts, so positions stay where they were. Messages come in
// the window's own character set (an edit of a dialog made by the A functions is an
// ANSI window), so text parameters are read and written in it.
template <typename Char> std::string Narrow(const Char* text) {
    std::string narrow;
    for (const Char* p = text; p != nullptr && *p != 0; ++p) {
        unsigned code = static_cast<unsigned>(*p);
        if (sizeof(Char) == 1)
            code &= 0xFFu;
        narrow += code < 0x80 ? static_cast<char>(code) : '\x7f';
    }
    return narrow;
}

std::string TextParameter(HWND edit, LPARAM lParam) {
    if (IsWindowUnicode(edit))
        return Narrow(reinterpret_cast<const wchar_t*>(lParam));
    return Narrow(reinterpret_cast<const char*>(lParam));
}

std::string CurrentText(HWND edit) {
    LRESULT length = DefSubclassProc(edit, WM_GETTEXTLENGTH, 0, 0);
    if (length <= 0)
        return std::string();
    size_t size = static_cast<size_t>(length) + 1;
    if (IsWindowUnicode(edit)) {
        std::vector<wchar_t> buffer(size, L'\0');
        DefSubclassProc(edit, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer.data()));
        buffer.back() = L'\0';
        return Narrow(buffer.data());
    }
    std::vector<char> buffer(size, '\0');
    DefSubclassProc(edit, WM_GETTEXT, size, reinterpret_cast<LPARAM>(buffer.data()));
    buffer.back() = '\0';
    return Narrow(buffer.data());
}

void Selection(HWND edit, size_t* start, size_t* end) {
    DWORD from = 0;
    DWORD to = 0;
    DefSubclassProc(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                    reinterpret_cast<LPARAM>(&to));
    *start = from;
    *end = to;
}

// Writes the text through the edit itself (a multiline edit tells nothing of it), puts
// the caret, and, for a change the user made, tells the parent as an edit would.
void Store(HWND edit, const std::string& text, size_t caret, bool notify) {
    if (IsWindowUnicode(edit)) {
        std::wstring wide(text.begin(), text.end());
        DefSubclassProc(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    } else {
        DefSubclassProc(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    DefSubclassProc(edit, EM_SETSEL, caret, caret);
    DefSubclassProc(edit, EM_SCROLLCARET, 0, 0);
    if (!notify)
        return;
    HWND parent = GetParent(edit);
    WPARAM id = static_cast<WPARAM>(GetDlgCtrlID(edit)) & 0xFFFF;
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, EN_UPDATE), reinterpret_cast<LPARAM>(edit));
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), reinterpret_cast<LPARAM>(edit));
}

// The current text laid on the mask (it always is, unless something slipped past).
std::string Conformed(HWND edit, const MaskedEditState& state) {
    std::string text = CurrentText(edit);
    return MaskConform(state.format, text.c_str());
}

void Apply(HWND edit, const MaskEditResult& result) {
    if (result.refused) {
        MessageBeep(MB_OK);
        return;
    }
    Store(edit, result.text, result.caret, result.changed);
}

void TypeCharacter(HWND edit, const MaskedEditState& state, char c) {
    size_t start = 0;
    size_t end = 0;
    Selection(edit, &start, &end);
    Apply(edit, MaskType(state.format, Conformed(edit, state), start, end, c));
}

void Erase(HWND edit, const MaskedEditState& state, bool backward) {
    size_t start = 0;
    size_t end = 0;
    Selection(edit, &start, &end);
    Apply(edit, MaskErase(state.format, Conformed(edit, state), start, end, backward));
}

void Paste(HWND edit, const MaskedEditState& state, const std::string& pasted) {
    size_t start = 0;
    size_t end = 0;
    Selection(edit, &start, &end);
    Apply(edit, MaskPaste(state.format, Conformed(edit, state), start, end, pasted.c_str()));
}

std::string ClipboardText(HWND edit) {
    std::string text;
    if (!OpenClipboard(edit))
        return text;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data != nullptr) {
        const wchar_t* wide = static_cast<const wchar_t*>(GlobalLock(data));
        if (wide != nullptr) {
            // At most what the clipboard block holds, terminator or not.
            size_t limit = GlobalSize(data) / sizeof(wchar_t);
            std::wstring copy(wide, wcsnlen(wide, limit));
            text = Narrow(copy.c_str());
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool HasSelection(HWND edit) {
    size_t start = 0;
    size_t end = 0;
    Selection(edit, &start, &end);
    return start != end;
}

// Characters as the keyboard sends them; true when the message was taken here.
bool OnChar(HWND edit, const MaskedEditState& state, WPARAM c) {
    switch (c) {
    case 0x01: // Ctrl+A
        DefSubclassProc(edit, EM_SETSEL, 0, -1);
        return true;
    case 0x03: // Ctrl+C: copying changes nothing
        return false;
    case 0x08: // Backspace
        Erase(edit, state, true);
        return true;
    case 0x16: // Ctrl+V
        SendMessageW(edit, WM_PASTE, 0, 0);
        return true;
    case 0x18: // Ctrl+X
        SendMessageW(edit, WM_CUT, 0, 0);
        return true;
    default:
        break;
    }
    if (c < 0x20)
        return true; // Enter, Tab, Escape and the other controls put nothing in
    if (c >= 0x80) {
        MessageBeep(MB_OK);
        return true;
    }
    TypeCharacter(edit, state, static_cast<char>(c));
    return true;
}

LRESULT CALLBACK MaskedEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                DWORD_PTR refData) {
    return GuardProcedure<LRESULT>(0, [&]() -> LRESULT {
        MaskedEditState* state = reinterpret_cast<MaskedEditState*>(refData);
        if (message == WM_NCDESTROY) {
            RemoveWindowSubclass(edit, MaskedEditProc, id);
            RemovePropW(edit, STATE_PROPERTY);
            delete state;
            return DefSubclassProc(edit, message, wParam, lParam);
        }
        if (message == WM_GETDLGCODE) {
            // A one-line field to the dialog: Enter, Escape and Tab stay the dialog's.
            return DLGC_HASSETSEL | DLGC_WANTCHARS | DLGC_WANTARROWS;
        }
        if (state->format.mask.empty())
            return DefSubclassProc(edit, message, wParam, lParam);

        switch (message) {
        case WM_CHAR:
        case WM_IME_CHAR:
            if (OnChar(edit, *state, wParam))
                return 0;
            break;
        case WM_KEYDOWN: {
            bool shift = GetKeyState(VK_SHIFT) < 0;
            bool control = GetKeyState(VK_CONTROL) < 0;
            if (wParam == VK_DELETE) {
                if (shift)
                    SendMessageW(edit, WM_CUT, 0, 0);
                else
                    Erase(edit, *state, false);
                return 0;
            }
            if (wParam == VK_INSERT) {
                if (shift)
                    SendMessageW(edit, WM_PASTE, 0, 0);
                else if (control)
                    SendMessageW(edit, WM_COPY, 0, 0);
                return 0;
            }
            if (wParam == VK_BACK || wParam == VK_RETURN)
                return 0; // Backspace comes as a character; Enter is the dialog's
            break;
        }
        case WM_SETTEXT: {
            std::string text = TextParameter(edit, lParam);
            Store(edit, MaskConform(state->format, text.c_str()), 0, false);
            return TRUE;
        }
        case WM_PASTE:
            Paste(edit, *state, ClipboardText(edit));
            return 0;
        case EM_REPLACESEL:
            Paste(edit, *state, TextParameter(edit, lParam));
            return 0;
        case WM_CUT:
            if (HasSelection(edit)) {
                DefSubclassProc(edit, WM_COPY, 0, 0);
                Erase(edit, *state, false);
            }
            return 0;
        case WM_CLEAR:
            if (HasSelection(edit))
                Erase(edit, *state, false);
            return 0;
        case WM_UNDO:
        case EM_UNDO:
        case EM_CANUNDO:
            return FALSE; // no undo: every change already went to the parent
        case WM_CONTEXTMENU: {
            // The edit's own menu: whatever it did, the text stays on the mask.
            LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
            std::string text = CurrentText(edit);
            std::string conformed = MaskConform(state->format, text.c_str());
            if (conformed != text)
                Store(edit, conformed, 0, false);
            return result;
        }
        default:
            break;
        }
        return DefSubclassProc(edit, message, wParam, lParam);
    });
}

MaskedEditState* StateOf(HWND edit) {
    if (edit == nullptr)
        return nullptr;
    return static_cast<MaskedEditState*>(GetPropW(edit, STATE_PROPERTY));
}

} // namespace

bool BindMaskedEdit(HWND edit) {
    wchar_t className[16] = {};
    if (edit == nullptr || !GetClassNameW(edit, className, 16) ||
        lstrcmpiW(className, L"Edit") != 0)
        return false;
    if ((GetWindowLongPtrW(edit, GWL_STYLE) & ES_MULTILINE) == 0 || StateOf(edit) != nullptr)
        return false;
    MaskedEditState* state = new MaskedEditState();
    if (!SetPropW(edit, STATE_PROPERTY, state)) {
        delete state;
        return false;
    }
    if (!SetWindowSubclass(edit, MaskedEditProc, SUBCLASS_ID, reinterpret_cast<DWORD_PTR>(state))) {
        RemovePropW(edit, STATE_PROPERTY);
        delete state;
        return false;
    }
    return true;
}

bool BindMaskedEdit(HWND dialog, int id) {
    return dialog != nullptr && BindMaskedEdit(GetDlgItem(dialog, id));
}

HWND CreateMaskedEdit(HWND parent, int id, const RECT& rect) {
    HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL,
                                rect.left, rect.top, RectWidth(rect), RectHeight(rect), parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                GetModuleHandleW(nullptr), nullptr);
    if (edit == nullptr)
        return nullptr;
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(WidgetFont()), FALSE);
    if (!BindMaskedEdit(edit)) {
        DestroyWindow(edit);
        return nullptr;
    }
    return edit;
}

bool IsMaskedEdit(HWND edit) {
    return StateOf(edit) != nullptr;
}

bool SetMaskedEditFormat(HWND edit, const char* mask, const char* prompt, const char* defaultText) {
    MaskedEditState* state = StateOf(edit);
    if (state == nullptr)
        return false;
    state->format = MakeMaskFormat(mask, prompt);
    Store(edit, MaskConform(state->format, defaultText), 0, false);
    return true;
}

bool IsMaskedEditComplete(HWND edit) {
    MaskedEditState* state = StateOf(edit);
    return state != nullptr && MaskIsComplete(state->format, CurrentText(edit));
}
