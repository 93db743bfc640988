// Small helpers over a report-mode list view whose rows carry a pointer each as item
// data (single-byte texts: the A messages).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Report mode, the given left-aligned columns of `widths[i]` pixels, and the extended
// styles `exStyles`.
void SetupReportColumns(HWND list, const char* const* titles, const int* widths, int count,
                        DWORD exStyles);
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
