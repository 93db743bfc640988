#include "console/pages/list_view_rows.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "console/widgets/widget_common.h"

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
    if ((GetWindowLongPtrA(list, GWL_STYLE) & LVS_OWNERDATA) != 0) {
        // A virtual list keeps no item data: its parent says which row it shows there.
        if (row < 0 || row >= ListRowCount(list))
            return 0;
        NMLVDISPINFOA question = {};
        question.hdr.hwndFrom = list;
        question.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
        question.hdr.code = LVN_GETDISPINFOA;
        question.item.mask = LVIF_PARAM;
        question.item.iItem = row;
        SendMessageA(GetParent(list), WM_NOTIFY, question.hdr.idFrom,
                     reinterpret_cast<LPARAM>(&question));
        return question.item.lParam;
    }
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
    // Every row selected (a list emptied) is told at once: asked for one selected row
    // after another, a list view answers each in a fraction of a millisecond, seconds
    // for ten thousand.
    const int count = ListRowCount(list);
    if (count > 0 && SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) == count) {
        rows.resize(static_cast<size_t>(count));
        for (int row = 0; row < count; ++row)
            rows[static_cast<size_t>(row)] = row;
        return rows;
    }
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

HWND MakeListVirtual(HWND list) {
    LONG_PTR style = GetWindowLongPtrA(list, GWL_STYLE);
    if (list == nullptr || (style & LVS_OWNERDATA) != 0)
        return list;
    HWND parent = GetParent(list);
    RECT rect = {};
    GetWindowRect(list, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(list, GWLP_HINSTANCE));
    HWND made = CreateWindowExA(
        static_cast<DWORD>(GetWindowLongPtrA(list, GWL_EXSTYLE)), WC_LISTVIEWA, "",
        static_cast<DWORD>(style | LVS_OWNERDATA), rect.left, rect.top, rect.right - rect.left,
        rect.bottom - rect.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(GetDlgCtrlID(list))), instance, nullptr);
    if (made == nullptr)
        return list;
    SendMessageA(made, WM_SETFONT, SendMessageA(list, WM_GETFONT, 0, 0), FALSE);
    // Right behind the template's list: the same place in the tab order.
    SetWindowPos(made, list, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    DestroyWindow(list);
    return made;
}

void SetVirtualRowCount(HWND list, size_t count) {
    SendMessageA(list, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    InvalidateRect(list, nullptr, TRUE);
}

void DeleteVirtualRows(HWND list, const std::vector<int>& deleted, size_t remaining) {
    const size_t ONE_BY_ONE = 64;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    // (A list that could not be made virtual holds its rows itself.)
    const bool virtualList = (GetWindowLongPtrA(list, GWL_STYLE) & LVS_OWNERDATA) != 0;
    if (deleted.size() <= ONE_BY_ONE || !virtualList) {
        for (auto it = deleted.rbegin(); it != deleted.rend(); ++it)
            SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(*it), 0);
    } else {
        LVITEMA none = {};
        none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&none));
        SendMessageA(list, LVM_SETITEMCOUNT, remaining, LVSICF_NOSCROLL);
        if (remaining > 0) {
            LVITEMA focused = {};
            focused.stateMask = LVIS_FOCUSED;
            focused.state = LVIS_FOCUSED;
            const size_t row = std::min(static_cast<size_t>(deleted.front()), remaining - 1);
            SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&focused));
        }
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void RedrawListRow(HWND list, int row) {
    SendMessageA(list, LVM_REDRAWITEMS, static_cast<WPARAM>(row), static_cast<LPARAM>(row));
}

bool IsCellQuestion(const NMHDR* header, CellQuestion* question) {
    if (header == nullptr || (header->code != LVN_GETDISPINFOA && header->code != LVN_GETDISPINFOW))
        return false;
    // The item is at the same place in both forms.
    const LVITEMA& item = reinterpret_cast<const NMLVDISPINFOA*>(header)->item;
    question->row = item.iItem;
    question->column = item.iSubItem;
    return true;
}

void AnswerCell(NMHDR* header, const std::string& text, LPARAM data) {
    if (header->code == LVN_GETDISPINFOA) {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(header)->item;
        if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0)
            lstrcpynA(item.pszText, text.c_str(), item.cchTextMax);
        if ((item.mask & LVIF_PARAM) != 0)
            item.lParam = data;
        return;
    }
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
    if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
        int written =
            MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, item.pszText, item.cchTextMax);
        if (written == 0)
            item.pszText[item.cchTextMax - 1] = L'\0'; // cut: too long for the buffer
    }
    if ((item.mask & LVIF_PARAM) != 0)
        item.lParam = data;
}

bool AnswerRowSearch(const NMHDR* header, int rows,
                     std::string (*firstCell)(int row, void* context), void* context, int* found) {
    if (header == nullptr || (header->code != LVN_ODFINDITEMA && header->code != LVN_ODFINDITEMW))
        return false;
    *found = -1;
    UINT flags;
    int start;
    std::string wanted;
    if (header->code == LVN_ODFINDITEMA) {
        const NMLVFINDITEMA* find = reinterpret_cast<const NMLVFINDITEMA*>(header);
        flags = find->lvfi.flags;
        start = find->iStart;
        if (find->lvfi.psz != nullptr)
            wanted = find->lvfi.psz;
    } else {
        const NMLVFINDITEMW* find = reinterpret_cast<const NMLVFINDITEMW*>(header);
        flags = find->lvfi.flags;
        start = find->iStart;
        if (find->lvfi.psz != nullptr) {
            int size =
                WideCharToMultiByte(CP_ACP, 0, find->lvfi.psz, -1, nullptr, 0, nullptr, nullptr);
            std::vector<char> text(static_cast<size_t>(size > 0 ? size : 1), '\0');
            WideCharToMultiByte(CP_ACP, 0, find->lvfi.psz, -1, text.data(), size, nullptr, nullptr);
            wanted = text.data();
        }
    }
    if ((flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || rows <= 0)
        return true;
    if (start < 0 || start >= rows)
        start = 0;
    const bool partial = (flags & LVFI_PARTIAL) != 0;
    const int span = (flags & LVFI_WRAP) != 0 ? rows : rows - start;
    for (int step = 0; step < span; ++step) {
        int row = (start + step) % rows;
        std::string text = firstCell(row, context);
        if (partial ? text.size() < wanted.size() : text.size() != wanted.size())
            continue;
        const int length = static_cast<int>(wanted.size());
        if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, text.c_str(), length,
                           wanted.c_str(), length) == CSTR_EQUAL) {
            *found = row;
            return true;
        }
    }
    return true;
}
