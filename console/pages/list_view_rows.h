// Small helpers over a report-mode list view whose rows carry a pointer each as item
// data (single-byte texts: the A messages), and the virtual lists of the pages.
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
// Text of one cell (at most 511 characters).
std::string ListCellText(HWND list, int row, int column);
// Item data of a row (0 when none); of a virtual list, what its parent answers.
LPARAM ListRowData(HWND list, int row);
int ListRowCount(HWND list);
// Indices of the selected rows, ascending.
std::vector<int> SelectedListRows(HWND list);
// Selects exactly the given rows (tests and keyboard helpers).
void SelectListRows(HWND list, const std::vector<int>& rows);

// Virtual lists (LVS_OWNERDATA): the control holds the number of rows and each row's
// selection and focus; a row's cells and item data it asks of its parent, which
// answers from the rows it shows, in their order.
//
// Puts a virtual list view in the place of `list` (made from a template): the same id,
// position, size, styles and font, at the same place in the tab order. Returns it, or
// `list` when that is virtual already or no other could be made.
HWND MakeListVirtual(HWND list);
// Takes rows `deleted` (ascending) out of a virtual list whose parent now shows
// `remaining` rows. A few go one by one, highest first, the list moving selection and
// focus as it does; many at once (a list emptied) in one step, with nothing left
// selected and the focus on the row that took the first one's place: one by one, each
// costs the list time that grows with the rows it holds.
void DeleteVirtualRows(HWND list, const std::vector<int>& deleted, size_t remaining);
// Deletes the selected rows of a virtual list, highest index first, freeing the row
// each one shows, and takes them out of `rows` (the rows it shows, in order).
template <typename Row> void RemoveSelectedVirtualRows(HWND list, std::vector<Row*>& rows) {
    std::vector<int> selected = SelectedListRows(list);
    std::vector<bool> going(rows.size(), false);
    for (int index : selected)
        if (index >= 0 && static_cast<size_t>(index) < rows.size())
            going[static_cast<size_t>(index)] = true;
    std::vector<Row*> kept;
    kept.reserve(rows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        if (going[i])
            delete rows[i];
        else
            kept.push_back(rows[i]);
    }
    rows.swap(kept);
    DeleteVirtualRows(list, selected, rows.size());
}
// Shows `count` rows in a virtual list, keeping its selection and scroll position.
void SetVirtualRowCount(HWND list, size_t count);
// Repaints row `row` of a virtual list from the rows it shows.
void RedrawListRow(HWND list, int row);

// A virtual list asking its parent for a row's cell (LVN_GETDISPINFO, ANSI or wide).
struct CellQuestion {
    int row;
    int column;
};
bool IsCellQuestion(const NMHDR* header, CellQuestion* question);
// Answers the question `header` holds: the cell's text and the row's item data.
void AnswerCell(NMHDR* header, const std::string& text, LPARAM data);
// A virtual list's search for a row by the text of its first cell, as typing letters in
// it makes (LVN_ODFINDITEM, ANSI or wide): true when `header` is one, with the answer
// in `found` (-1 for none). The texts compare without case.
bool AnswerRowSearch(const NMHDR* header, int rows,
                     std::string (*firstCell)(int row, void* context), void* context, int* found);

// Moves the list view of a page to the left edge, keeps its top, and gives it the
// page's full width and the height down to the page's bottom.
void StretchListToPageBottom(HWND page, HWND list, int width, int height);
