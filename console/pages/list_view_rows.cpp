#include "console/pages/list_view_rows.h"

#include <commctrl.h>

#include "console/widgets/widget_common.h"

namespace {
// Sets the texts of columns `first` to `count` - 1 of row `row`.
void SetCellTexts(HWND list, int row, const std::string* texts, int first, int count) {
    for (int i = first; i < count; ++i) {
        LVITEMA sub = {};
        sub.iSubItem = i;
        sub.pszText = const_cast<char*>(texts[i].c_str());
        SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&sub));
    }
}
} // namespace

void SetupReportColumns(HWND list, TableRef<ListColumn> columns) {
    LONG_PTR style = GetWindowLongPtrA(list, GWL_STYLE);
    SetWindowLongPtrA(list, GWL_STYLE, (style & ~LVS_TYPEMASK) | LVS_REPORT);
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = ScaleForDpi(columns[i].width);
        column.pszText = const_cast<char*>(columns[i].title);
        column.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&column));
    }
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, REPORT_LIST_EX_STYLES, REPORT_LIST_EX_STYLES);
}

int AppendListRow(HWND list, const std::string* texts, int count, LPARAM data) {
    if (count <= 0)
        return -1;
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM;
    item.iItem = ListRowCount(list);
    item.pszText = const_cast<char*>(texts[0].c_str());
    item.lParam = data;
    int row =
        static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0)
        return -1;
    SetCellTexts(list, row, texts, 1, count);
    return row;
}

void SetListRowTexts(HWND list, int row, const std::string* texts, int count) {
    SetCellTexts(list, row, texts, 0, count);
}

std::string ListCellText(HWND list, int row, int column) {
    char buffer[512] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = sizeof(buffer);
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    buffer[sizeof(buffer) - 1] = '\0';
    return buffer;
}

LPARAM ListRowData(HWND list, int row) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return 0;
    return item.lParam;
}

int ListRowCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

std::vector<int> SelectedListRows(HWND list) {
    std::vector<int> rows;
    int row = -1;
    for (;;) {
        row = static_cast<int>(
            SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
        if (row < 0)
            break;
        rows.push_back(row);
    }
    return rows;
}

void SelectListRows(HWND list, const std::vector<int>& rows) {
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = 0;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED;
    for (int row : rows)
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
}

void StretchListToPageBottom(HWND page, HWND list, int width, int height) {
    if (list == nullptr)
        return;
    RECT rect = {};
    GetWindowRect(list, &rect);
    POINT top = {rect.left, rect.top};
    ScreenToClient(page, &top);
    int listHeight = height - top.y;
    MoveWindow(list, 0, top.y, width, listHeight > 0 ? listHeight : 0, TRUE);
}
