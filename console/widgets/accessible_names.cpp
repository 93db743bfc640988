#include "console/widgets/accessible_names.h"

#include <commctrl.h>

#include <map>
#include <memory>

#include "console/widgets/accessible_object.h"
#include "console/widgets/widget_common.h"

namespace {

std::string ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 63);
    return NarrowToUtf8(name);
}

bool SameText(const std::string& a, const char* b) {
    return lstrcmpiA(a.c_str(), b) == 0;
}

bool IsStaticText(HWND window) {
    if (!SameText(ClassOf(window), "Static"))
        return false;
    LONG type = GetWindowLongW(window, GWL_STYLE) & SS_TYPEMASK;
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE ||
           type == SS_LEFTNOWORDWRAP;
}

// The names a template's resource gives, by control id.
using NameTable = std::map<WORD, std::string>;

std::shared_ptr<const NameTable> LoadNameTable(HINSTANCE module, UINT templateId) {
    auto table = std::make_shared<NameTable>();
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(templateId),
                              MAKEINTRESOURCEW(RT_ACCESSIBLE_NAMES_DATA));
    HGLOBAL mem = res != nullptr ? LoadResource(module, res) : nullptr;
    const WORD* words = mem != nullptr ? static_cast<const WORD*>(LockResource(mem)) : nullptr;
    DWORD pairs = res != nullptr ? SizeofResource(module, res) / (2 * sizeof(WORD)) : 0;
    for (DWORD i = 0; words != nullptr && i < pairs; ++i)
        (*table)[words[2 * i]] = LoadResourceString(module, words[2 * i + 1]);
    return table;
}

class DialogControlName : public ControlAccessibleText {
public:
    explicit DialogControlName(std::shared_ptr<const NameTable> table) : table_(std::move(table)) {}
    std::string Name(HWND control) const override {
        auto given = table_->find(static_cast<WORD>(GetDlgCtrlID(control)));
        if (given != table_->end())
            return given->second;
        // Up-down arrows are named by what they change.
        if (SameText(ClassOf(control), UPDOWN_CLASSA)) {
            HWND buddy = reinterpret_cast<HWND>(SendMessageW(control, UDM_GETBUDDY, 0, 0));
            if (buddy == nullptr) // the one it would take by itself (UDS_AUTOBUDDY)
                buddy = GetWindow(control, GW_HWNDPREV);
            if (buddy != nullptr && buddy != control)
                return Name(buddy);
        }
        return LabelBefore(control);
    }

private:
    std::shared_ptr<const NameTable> table_;
};

} // namespace

std::string LabelBefore(HWND control) {
    for (HWND w = GetWindow(control, GW_HWNDPREV); w != nullptr; w = GetWindow(w, GW_HWNDPREV)) {
        if (IsStaticText(w)) {
            std::string text = GetWindowTextUtf8(w);
            return (GetWindowLongW(w, GWL_STYLE) & SS_NOPREFIX) ? text : TextWithoutMnemonic(text);
        }
        // The label of a control never stands beyond the control before it.
        if (GetWindowLongW(w, GWL_STYLE) & (WS_TABSTOP | WS_GROUP))
            break;
    }
    return std::string();
}

bool IsUnlabelledInputClass(HWND window) {
    static const char* const classes[] = {"Edit",
                                          "ComboBox",
                                          "ComboBoxEx32",
                                          "ListBox",
                                          "SysListView32",
                                          "SysTreeView32",
                                          "SysIPAddress32",
                                          "msctls_updown32",
                                          "msctls_trackbar32",
                                          "SysDateTimePick32",
                                          "SysMonthCal32",
                                          "msctls_hotkey32",
                                          "RichEdit20A",
                                          "RichEdit20W",
                                          "RICHEDIT50W"};
    std::string name = ClassOf(window);
    for (const char* c : classes)
        if (SameText(name, c))
            return true;
    return false;
}

void NameDialogControls(HWND dialog, HINSTANCE module, UINT templateId) {
    if (dialog == nullptr)
        return;
    std::shared_ptr<const NameTable> table = LoadNameTable(module, templateId);
    for (HWND w = GetWindow(dialog, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
        if (IsUnlabelledInputClass(w))
            OverrideControlAccessibleText(w, new DialogControlName(table));
}
