// Small helpers over a report-mode list view whose rows carry a pointer each as item
// data (single-byte texts: the A messages).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "console/pages/table_ref.h"

// Extended styles of every list of the console: full-row select, flat scroll bars.
enum : DWORD { REPORT_LIST_EX_STYLES = LVS_EX_FULLROWSELECT | LVS_EX_FLATSB };

struct ListColumn {
    const char* title;
    int width; // pixels
    // The text of a row's cell in this column, from the row's item data.
    std::string (*text)(LPARAM row) = nullptr;
};

// Report mode, left-aligned columns, and the extended styles REPORT_LIST_EX_STYLES.
void SetupReportColumns(HWND list, TableRef<ListColumn> columns);
// Appends a row with `count` column texts and `data` as item data; returns its index
// (-1 on failure).
int AppendListRow(HWND list, const std::string* texts, int count, LPARAM data);
// Sets the column texts of row `row`.
void SetListRowTexts(HWND list, int row, const std::string* texts, int count);
// Text of one cell (at most 511 characters).
std::string ListCellText(HWND list, int row, int column);
// Item data of a row (0 when none).
LPARAM ListRowData(HWND list, int row);
int ListRowCount(HWND list);
// Indices of the selected rows, ascending.
std::vector<int> SelectedListRows(HWND list);
// Selects exactly the given rows (tests and keyboard helpers).
void SelectListRows(HWND list, const std::vector<int>& rows);
// Deletes the selected rows, highest index first, freeing the row each one carries,
// and then makes `rows` the remaining rows' data in list order (rows already gone from
// the list are not freed again).
template <typename Row> void RemoveSelectedListRows(HWND list, std::vector<Row*>& rows) {
    std::vector<int> selected = SelectedListRows(list);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        delete reinterpret_cast<Row*>(ListRowData(list, *it));
        SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(*it), 0);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    rows.clear();
    int count = ListRowCount(list);
    for (int i = 0; i < count; ++i)
        if (Row* row = reinterpret_cast<Row*>(ListRowData(list, i)))
            rows.push_back(row);
}
// Moves the list view of a page to the left edge, keeps its top, and gives it the
// page's full width and the height down to the page's bottom.
void StretchListToPageBottom(HWND page, HWND list, int width, int height);
