// The list page: a filter switch, a default-allow switch with its help tip, and a
// list view of the rows of one FilterConfig list with add, remove and edit (buttons
// and a context menu). A page class names its controls, its list and flags, its
// columns and its dialogs; the behaviour below is shared by every such page.
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

// Column width and extended styles (full-row select, flat scroll bars) of every list.
enum : int { LIST_PAGE_COLUMN_WIDTH = 120 };
enum : DWORD { LIST_PAGE_EX_STYLES = 0x120 };

struct ListPageControls {
    UINT templateId;
    int enableCheck;  // filter switch
    int defaultCheck; // default-allow switch
    int addButton;
    int removeButton;
    int editButton;
    int listView;
    UINT contextMenu; // menu resource; its first popup offers add, remove, edit
    UINT addCommand;
    UINT removeCommand;
    UINT editCommand;
};

struct ListPageHelp {
    const char* title;
    const char* text;
    TipAnchor anchor;
};

// Mode texts of TYPE: nonzero "Logon enabled", zero "Logon disabled".
const char* ModeText(int32_t type);

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
        UpdateData(false);
        UpdateEnabledControls();
        HWND list = ListView();
        const char* titles[MAX_COLUMNS];
        for (int i = 0; i < ColumnCount(); ++i)
            titles[i] = ColumnTitle(i);
        SetupReportColumns(list, titles, ColumnCount(), LIST_PAGE_COLUMN_WIDTH,
                           LIST_PAGE_EX_STYLES);
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
    virtual void RowTexts(const Row& row, std::string* texts) const = 0;
    // Runs the add dialog (it calls back the page's add operation on OK).
    virtual void RunAddDialog() = 0;
    // Runs the edit dialog on `row`.
    virtual void RunEditDialog(Row& row) = 0;

    void DoDataExchange(DataExchange& dx) override {
        DdxCheck(dx, controls_.enableCheck, enable_);
        DdxCheck(dx, controls_.defaultCheck, defaultAllow_);
    }

    bool OnCommand(UINT id, UINT code, HWND control) override {
        if (control != nullptr && code != BN_CLICKED)
            return false;
        if (control != nullptr) {
            if (static_cast<int>(id) == controls_.enableCheck)
                OnFilterSwitch();
            else if (static_cast<int>(id) == controls_.defaultCheck)
                OnDefaultSwitch();
            else if (static_cast<int>(id) == controls_.addButton)
                OnAdd();
            else if (static_cast<int>(id) == controls_.removeButton)
                RemoveSelected();
            else if (static_cast<int>(id) == controls_.editButton)
                EditFirstSelected();
            else
                return false;
            return true;
        }
        if (id != controls_.addCommand && id != controls_.removeCommand &&
            id != controls_.editCommand)
            return false;
        // Menu commands are live even while the buttons are disabled: they check.
        UpdateData(true);
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
        HWND list = ListView();
        if (list == nullptr)
            return;
        RECT rect = {};
        GetWindowRect(list, &rect);
        POINT top = {rect.left, rect.top};
        ScreenToClient(hwnd(), &top);
        int listHeight = height - top.y;
        MoveWindow(list, 0, top.y, width, listHeight > 0 ? listHeight : 0, TRUE);
    }

    void OnContextMenu(HWND, POINT point) override {
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
    void UpdateEnabledControls() {
        BOOL on = enable_ != 0 ? TRUE : FALSE;
        const int ids[] = {controls_.listView, controls_.addButton, controls_.removeButton,
                           controls_.editButton, controls_.defaultCheck};
        for (int id : ids) {
            HWND control = GetDlgItem(hwnd(), id);
            if (control != nullptr)
                EnableWindow(control, on);
        }
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
        UpdateData(true);
        UpdateEnabledControls();
        FilterConfig.*enableFlag_ = enable_;
        MarkConfigModified();
    }

    void OnDefaultSwitch() {
        UpdateData(true);
        FilterConfig.*defaultFlag_ = defaultAllow_;
        MarkConfigModified();
        ShowHelpTip(hwnd(), GetDlgItem(hwnd(), controls_.defaultCheck), help_.anchor, help_.title,
                    help_.text);
    }

    void OnAdd() {
        UpdateData(true);
        RunAddDialog();
    }

    void RemoveSelected() {
        HWND list = ListView();
        std::vector<int> selected = SelectedListRows(list);
        // Highest index first, so the indices still to go stay valid.
        SendMessageA(list, WM_SETREDRAW, FALSE, 0);
        for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
            delete reinterpret_cast<Row*>(ListRowData(list, *it));
            SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(*it), 0);
        }
        SendMessageA(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
        std::vector<Row*>& rows = FilterConfig.*rows_;
        rows.clear();
        int count = ListRowCount(list);
        for (int i = 0; i < count; ++i) {
            Row* row = reinterpret_cast<Row*>(ListRowData(list, i));
            if (row != nullptr)
                rows.push_back(row);
        }
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
};
