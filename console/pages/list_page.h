// The list page: a filter switch, a default switch with its help tip, and a list view
// of the rows of one FilterConfig list with add, remove and edit (buttons and, when the
// page has one, a context menu). A page class names its controls, its list and flags,
// its columns and its dialogs; the behaviour below is shared by every such page.
//
// A count page (sessions per address or per user) adds option check boxes, each with
// its setting and tip, and a default count: an edit with up-down arrows, enabled while
// both switches are on. Its reading of the controls can stop at a count that fails:
// a check box the reading did not reach keeps its setting and shows it again.
//
// The list view's rows are the list's rows in order, each carrying its row pointer as
// item data. Every change goes into FilterConfig at once and marks it modified.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config/config_model.h"
#include "console/pages/help_tip.h"
#include "console/pages/list_view_rows.h"
#include "console/pages/page_view.h"
#include "console/widgets/framework_app.h"

// Column width of a list page unless the page names its own.
enum : int { LIST_PAGE_COLUMN_WIDTH = 120 };

struct ListPageControls {
    UINT templateId;
    int enableCheck;  // filter switch
    int defaultCheck; // default-allow switch
    int addButton;
    int removeButton;
    int editButton;
    int listView;
    UINT contextMenu; // menu resource, 0 for none; its first popup offers add, remove, edit
    UINT addCommand;
    UINT removeCommand;
    UINT editCommand;
    int countEdit = 0;   // default count field, 0 for none
    int countArrows = 0; // its up-down arrows
};

struct ListPageHelp {
    const char* title;
    const char* text;
    TipAnchor anchor;
};

// An option check box: enabled with the filter switch; a click stores it into
// `setting` and shows its tip.
struct ListPageOption {
    int check;
    int32_t FilterConfigRecord::*setting;
    ListPageHelp help;
};

// Range of the session counts' up-down arrows.
enum : int32_t { SESSION_COUNT_MIN = 1, SESSION_COUNT_MAX = 9 };

// Mode texts of TYPE: nonzero "Logon enabled", zero "Logon disabled".
const char* ModeText(int32_t type);

// Sets the arrows to range 1 to 9 at position 1 and binds them to `field`, which goes
// on showing the count it held (not the arrows' 1).
void BindCountArrows(HWND arrows, HWND field);

template <typename Row> class ListPage : public PageView {
public:
    using RowList = std::vector<Row*> FilterConfigRecord::*;
    using Flag = int32_t FilterConfigRecord::*;

    HWND ListView() const { return GetDlgItem(hwnd(), controls_.listView); }

    // Appends a new row (owned by the list from now on) to the list and the list view
    // and marks the configuration modified.
    void AppendEntry(Row* row) {
        std::string texts[MAX_COLUMNS];
        RowTexts(*row, texts);
        AppendListRow(ListView(), texts, ColumnCount(), reinterpret_cast<LPARAM>(row));
        (FilterConfig.*rows_).push_back(row);
        MarkConfigModified();
    }

    void OnInitialUpdate() override {
        // Writing the count into its field is no change made by the administrator.
        bool muted = countMuted_;
        countMuted_ = true;
        UpdateData(false);
        if (controls_.countArrows != 0)
            BindCountArrows(Item(controls_.countArrows), Item(controls_.countEdit));
        countMuted_ = muted;
        UpdateEnabledControls();
        HWND list = ListView();
        const char* titles[MAX_COLUMNS];
        int widths[MAX_COLUMNS];
        for (int i = 0; i < ColumnCount(); ++i) {
            titles[i] = ColumnTitle(i);
            widths[i] = ColumnWidth(i);
        }
        SetupReportColumns(list, titles, widths, ColumnCount());
        FillList();
    }

protected:
    enum { MAX_COLUMNS = 4 };

    ListPage(const ListPageControls& controls, RowList rows, Flag enableFlag, Flag defaultFlag,
             const ListPageHelp& help)
        : PageView(controls.templateId), controls_(controls), rows_(rows), enableFlag_(enableFlag),
          defaultFlag_(defaultFlag), help_(help), enable_(FilterConfig.*enableFlag),
          defaultAllow_(FilterConfig.*defaultFlag) {}

    virtual int ColumnCount() const = 0;
    virtual const char* ColumnTitle(int column) const = 0;
    virtual int ColumnWidth(int) const { return LIST_PAGE_COLUMN_WIDTH; }
    virtual void RowTexts(const Row& row, std::string* texts) const = 0;
    // Runs the add dialog (it calls back the page's add operation on OK).
    virtual void RunAddDialog() = 0;
    // Runs the edit dialog on `row`.
    virtual void RunEditDialog(Row& row) = 0;
    // The default count field's text changed (typed, or stepped by the arrows). Not
    // called while the page writes the field, nor while the controls are being read
    // (a message about the field may be showing: one message per failed change).
    virtual void OnDefaultCountChange() {}

    // The option check boxes, in the order of their members (call from the constructor).
    void SetOptions(const ListPageOption* options, size_t count) {
        options_.assign(options, options + count);
        optionValues_.clear();
        for (const ListPageOption& option : options_)
            optionValues_.push_back(FilterConfig.*option.setting);
    }

    // The members the controls are read into (for a page's own reading order).
    int32_t& EnableValue() { return enable_; }
    int32_t& DefaultValue() { return defaultAllow_; }
    int32_t& OptionValue(size_t index) { return optionValues_[index]; }

    HWND Item(int id) const { return GetDlgItem(hwnd(), id); }
    // True while the administrator can change the default count: a disabled field is
    // not read, so a stored count it cannot correct never blocks the other settings.
    bool CountFieldLive() const {
        HWND field = Item(controls_.countEdit);
        return field != nullptr && IsWindowEnabled(field);
    }

    // Reads the controls into the members; false when a field failed (its message was
    // shown and the reading stopped there).
    bool ReadControls() {
        bool muted = countMuted_;
        countMuted_ = true;
        bool read = UpdateData(true);
        countMuted_ = muted;
        return read;
    }

    void DoDataExchange(DataExchange& dx) override {
        DdxCheck(dx, controls_.enableCheck, enable_);
        DdxCheck(dx, controls_.defaultCheck, defaultAllow_);
    }

    bool OnCommand(UINT id, UINT code, HWND control) override {
        int item = static_cast<int>(id);
        if (control != nullptr && code == EN_CHANGE && controls_.countEdit != 0 &&
            item == controls_.countEdit) {
            if (!countMuted_) {
                countMuted_ = true;
                OnDefaultCountChange();
                countMuted_ = false;
            }
            return true;
        }
        if (control != nullptr && code != BN_CLICKED)
            return false;
        if (control != nullptr) {
            if (item == controls_.enableCheck)
                OnFilterSwitch();
            else if (item == controls_.defaultCheck)
                OnDefaultSwitch();
            else if (item == controls_.addButton)
                OnAdd();
            else if (item == controls_.removeButton)
                RemoveSelected();
            else if (item == controls_.editButton)
                EditFirstSelected();
            else if (!OnOption(item))
                return false;
            return true;
        }
        if (controls_.contextMenu == 0 ||
            (id != controls_.addCommand && id != controls_.removeCommand &&
             id != controls_.editCommand))
            return false;
        // Menu commands are live even while the buttons are disabled: they check.
        ReadControls();
        if (enable_ == 0)
            return true;
        if (id == controls_.addCommand)
            RunAddDialog();
        else if (id == controls_.removeCommand)
            RemoveSelected();
        else
            EditFirstSelected();
        return true;
    }

    void OnSize(int width, int height) override {
        StretchListToPageBottom(hwnd(), ListView(), width, height);
    }

    void OnContextMenu(HWND, POINT point) override {
        if (controls_.contextMenu == 0)
            return;
        if (point.x == -1 && point.y == -1) { // from the keyboard: at the list's corner
            RECT rect = {};
            GetWindowRect(ListView(), &rect);
            point.x = rect.left;
            point.y = rect.top;
        }
        HMENU menu = LoadMenuA(ResourceInstance(), MAKEINTRESOURCEA(controls_.contextMenu));
        if (menu == nullptr)
            return;
        HMENU popup = GetSubMenu(menu, 0);
        if (popup != nullptr)
            TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, hwnd(),
                           nullptr);
        DestroyMenu(menu);
    }

    int32_t DefaultAllowFlag() const { return defaultAllow_; }

private:
    void EnableControl(int id, bool on) {
        HWND control = id != 0 ? Item(id) : nullptr;
        if (control != nullptr)
            EnableWindow(control, on ? TRUE : FALSE);
    }

    void UpdateEnabledControls() {
        bool on = enable_ != 0;
        const int ids[] = {controls_.listView, controls_.addButton, controls_.removeButton,
                           controls_.editButton, controls_.defaultCheck};
        for (int id : ids)
            EnableControl(id, on);
        for (const ListPageOption& option : options_)
            EnableControl(option.check, on);
        UpdateCountEnabled();
    }

    void UpdateCountEnabled() {
        bool on = enable_ != 0 && defaultAllow_ != 0;
        EnableControl(controls_.countEdit, on);
        EnableControl(controls_.countArrows, on);
    }

    // Reads the controls before check box `check` acts on its member. When the reading
    // stopped before it reached the box, the box is set back to the member (its setting
    // stays as it was) and the click has no further effect: false.
    bool ReadControlsForBox(int check, const int32_t& member) {
        if (ReadControls())
            return true;
        bool shown = IsDlgButtonChecked(hwnd(), check) == BST_CHECKED;
        if (shown == (member != 0))
            return true;
        CheckDlgButton(hwnd(), check, member != 0 ? BST_CHECKED : BST_UNCHECKED);
        return false;
    }

    void FillList() {
        HWND list = ListView();
        const std::vector<Row*>& rows = FilterConfig.*rows_;
        // One repaint for the whole list, however long.
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);
        SendMessageA(list, LVM_SETITEMCOUNT, rows.size(), LVSICF_NOINVALIDATEALL);
        std::string texts[MAX_COLUMNS];
        for (Row* row : rows) {
            RowTexts(*row, texts);
            AppendListRow(list, texts, ColumnCount(), reinterpret_cast<LPARAM>(row));
        }
        SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
    }

    void OnFilterSwitch() {
        if (!ReadControlsForBox(controls_.enableCheck, enable_))
            return;
        UpdateEnabledControls();
        FilterConfig.*enableFlag_ = enable_;
        MarkConfigModified();
    }

    void OnDefaultSwitch() {
        if (!ReadControlsForBox(controls_.defaultCheck, defaultAllow_))
            return;
        FilterConfig.*defaultFlag_ = defaultAllow_;
        MarkConfigModified();
        UpdateCountEnabled();
        ShowHelpTip(hwnd(), GetDlgItem(hwnd(), controls_.defaultCheck), help_.anchor, help_.title,
                    help_.text);
    }

    bool OnOption(int check) {
        for (size_t i = 0; i < options_.size(); ++i) {
            const ListPageOption& option = options_[i];
            if (option.check != check)
                continue;
            if (ReadControlsForBox(check, optionValues_[i])) {
                FilterConfig.*option.setting = optionValues_[i];
                MarkConfigModified();
                ShowHelpTip(hwnd(), Item(check), option.help.anchor, option.help.title,
                            option.help.text);
            }
            return true;
        }
        return false;
    }

    void OnAdd() {
        ReadControls();
        RunAddDialog();
    }

    void RemoveSelected() {
        RemoveSelectedListRows(ListView(), FilterConfig.*rows_);
        MarkConfigModified();
    }

    void EditFirstSelected() {
        HWND list = ListView();
        std::vector<int> selected = SelectedListRows(list);
        if (selected.empty())
            return;
        int index = selected.front();
        Row* row = reinterpret_cast<Row*>(ListRowData(list, index));
        if (row == nullptr)
            return;
        RunEditDialog(*row);
        std::string texts[MAX_COLUMNS];
        RowTexts(*row, texts);
        SetListRowTexts(list, index, texts, ColumnCount());
        MarkConfigModified();
    }

    ListPageControls controls_;
    RowList rows_;
    Flag enableFlag_;
    Flag defaultFlag_;
    ListPageHelp help_;
    int32_t enable_;
    int32_t defaultAllow_;
    std::vector<ListPageOption> options_;
    std::vector<int32_t> optionValues_;
    bool countMuted_ = false; // changes of the count field are not the administrator's
};
