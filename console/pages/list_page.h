// The list page: a filter switch, a default switch with its help tip, and a list view
// of the rows of one FilterConfig list with add, remove and edit (buttons and, when the
// page has one, a context menu). A page is its tables (controls, switches, help,
// options, and columns with the texts of a row's cells) and its add and edit dialog;
// the behaviour is ListPageBase's, which sees a row only as the item data of its list
// view row.
//
// A count page (sessions per address or per user) adds option check boxes, each with
// its setting and tip, and a default count: an edit with up-down arrows, enabled while
// both switches are on. Its reading of the controls can stop at a count that fails:
// a check box the reading did not reach keeps its setting and shows it again.
//
// The list view is virtual: its rows are the list's rows in order, and it asks the page
// for the cells it paints and for each row's item data, the row pointer. Every change
// goes into FilterConfig at once and marks it modified.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/config_model.h"
#include "console/pages/help_tip.h"
#include "console/pages/list_entry_dialog.h"
#include "console/pages/list_view_rows.h"
#include "console/pages/page_view.h"
#include "console/pages/table_ref.h"
#include "console/framework/framework_app.h"

// The templates and controls a page names: the rest is its kind's (ModePageTable,
// CountPageTable).
struct ListPageControls {
    UINT templateId;
    UINT addDialog;  // template of the add dialog
    UINT editDialog; // template of the edit dialog
    int enableCheck; // filter switch
    int addButton;
    int removeButton;
    int editButton;
    int listView;
    // Menu resource, 0 for none; its first popup's items are ID_ITEM_ADD, ID_ITEM_REMOVE
    // and ID_ITEM_EDIT.
    UINT contextMenu;
    int countEdit = 0;   // default count field, 0 for none
    int countArrows = 0; // its up-down arrows
};

// An option check box: enabled with the filter switch; a click stores it into
// `setting` and shows its tip.
struct ListPageOption {
    int check;
    int32_t FilterConfigRecord::*setting;
    HelpTip help;
};

// Width of a list page column unless the page names another.
enum : int { LIST_PAGE_COLUMN_WIDTH = 120 };

using ConfigFlag = int32_t FilterConfigRecord::*;

// In a read order, the option check boxes (no control has this id).
enum : int { READ_OPTIONS = -2 };

// How the default count field is read.
enum class CountRule {
    InRange,        // an integer from 1 to 9; a count that fails shows its message
    LeadingDecimal, // the field's leading decimal number, stored as typed, no message
};

// All of a list page but its rows.
struct ListPageTable {
    ListPageControls controls;
    int defaultCheck;       // the default switch
    ConfigFlag enableFlag;  // set by the filter switch
    ConfigFlag defaultFlag; // set by the default switch
    HelpTip help;           // the default switch's tip
    TableRef<ListColumn> columns;
    TableRef<ListPageOption> options = {}; // none on the mode pages
    // The order in which the controls are read (by id; a failed field stops the reading),
    // READ_OPTIONS standing for every option in the order of `options`: none reads the
    // filter switch, then the default switch.
    TableRef<int> readOrder = {};
    ConfigFlag defaultCount = nullptr; // shown in the count field, if the page has one
    CountRule countRule = CountRule::InRange;
};

// Range of the session counts' up-down arrows.
enum : int32_t { SESSION_COUNT_MIN = 1, SESSION_COUNT_MAX = 9 };

// Mode texts of TYPE: nonzero "Logon enabled", zero "Logon disabled".
const char* ModeText(int32_t type);

// Sets the arrows to range 1 to 9 at position 1 and binds them to `field`, which goes
// on showing the count it held (not the arrows' 1).
void BindCountArrows(HWND arrows, HWND field);

// The value of a text's leading decimal number (blanks and a sign may precede it), 0
// when it has none; limited to the 32-bit range.
int32_t LeadingDecimal(const char* text);

class ListPageBase : public PageView {
public:
    HWND ListView() const { return Item(table_.controls.listView); }
    void OnInitialUpdate() override;
    void ShowEntry(int index) override;

protected:
    ListPageBase(PageKind kind, const ListPageTable& table);

    // The rows of the list, each as the item data of its list view row.
    virtual size_t RowCount() const = 0;
    virtual LPARAM RowData(size_t index) const = 0;
    // Runs the add dialog; a row it stores is appended (ShowAppendedRow).
    virtual void RunAddDialog() = 0;
    // Runs the edit dialog on a row.
    virtual void RunEditDialogOn(LPARAM row) = 0;
    // Deletes the selected rows from the list view and the list, and frees them.
    virtual void DeleteSelectedRows() = 0;

    // Shows `row`, just appended to the list, at the end of the list view, and marks
    // the configuration modified.
    void ShowAppendedRow(LPARAM row);
    // How the page's dialogs open: adding or editing, with the default switch.
    ListEntry Entry(bool adding) const;

    void DoDataExchange(DataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    // Delete in the list does what the remove button does.
    LRESULT OnNotify(NMHDR* header) override;
    void OnSize(int width, int height) override;
    void OnContextMenu(HWND, POINT point) override;

private:
    HWND Item(int id) const { return GetDlgItem(hwnd(), id); }
    int ColumnCount() const { return static_cast<int>(table_.columns.size()); }
    // The text of a row's cell in `column`.
    std::string CellText(LPARAM row, int column) const;
    static std::string FirstCellOf(int row, void* page);
    void ExchangeControl(DataExchange& dx, int id);
    // True while the administrator can change the default count: a disabled field is
    // not read, so a stored count it cannot correct never blocks the other settings.
    bool CountFieldLive() const;
    // Reads the controls into the members; false when a field failed (its message was
    // shown and the reading stopped there).
    bool ReadControls();
    void EnableControl(int id, bool on);
    void UpdateEnabledControls();
    void UpdateCountEnabled();
    bool ReadControlsForBox(int check, const int32_t& member);
    void FillList();
    bool OnMenuCommand(UINT id);
    void OnFilterSwitch();
    void OnDefaultSwitch();
    // The count field's text changed (typed, or stepped by the arrows). Not called while
    // the page writes the field, nor while the controls are being read (a message
    // about the field may be showing: one message per failed change).
    void OnDefaultCountChange();
    bool OnOption(int check);
    void OnAdd();
    void RemoveSelected();
    void EditFirstSelected();

    const ListPageTable& table_;
    int32_t enable_;
    int32_t defaultAllow_;
    int32_t count_ = 0;
    std::vector<int32_t> optionValues_;
    bool countMuted_ = false; // changes of the count field are not the administrator's
};

// The cells of a row of type Row: a text field, a number, a mode (ModeText).
template <auto Field> const auto& CellField(LPARAM row) {
    using Row = typename MemberOf<decltype(Field)>::Class;
    return reinterpret_cast<const Row*>(row)->*Field;
}
template <auto Field> std::string TextCell(LPARAM row) {
    return FieldText(CellField<Field>(row));
}
template <auto Field> std::string NumberCell(LPARAM row) {
    return std::to_string(CellField<Field>(row));
}
template <auto Field> std::string ModeCell(LPARAM row) {
    return ModeText(CellField<Field>(row));
}

// A list page over FilterConfig.*rows. Its dialog (RunEntryDialog) runs on a new row, or
// on a copy of the row to edit; it returns true when OK stored it.
template <typename Row> class ListPage : public ListPageBase {
protected:
    using RowList = std::vector<Row*> FilterConfigRecord::*;
    using RowDialog = bool (*)(HWND page, Row& row, const ListEntry& entry);

    ListPage(PageKind kind, const ListPageTable& table, RowList rows, RowDialog runDialog)
        : ListPageBase(kind, table), rows_(rows), runDialog_(runDialog) {}

private:
    std::vector<Row*>& Rows() const { return FilterConfig.*rows_; }
    size_t RowCount() const override { return Rows().size(); }
    LPARAM RowData(size_t index) const override { return reinterpret_cast<LPARAM>(Rows()[index]); }
    void RunAddDialog() override {
        std::unique_ptr<Row> row(new Row());
        if (!runDialog_(hwnd(), *row, Entry(true)))
            return;
        Rows().push_back(row.get()); // the list owns it from now on
        ShowAppendedRow(reinterpret_cast<LPARAM>(row.release()));
    }
    void RunEditDialogOn(LPARAM data) override {
        Row& row = *reinterpret_cast<Row*>(data);
        Row edited = row; // the row changes only when OK stores it
        if (runDialog_(hwnd(), edited, Entry(false)))
            row = edited;
    }
    void DeleteSelectedRows() override { RemoveSelectedVirtualRows(ListView(), Rows()); }

    RowList rows_;
    RowDialog runDialog_;
};
