#include "console/widgets/splitter.h"

#include <windowsx.h>

namespace {

const wchar_t SPLITTER_CLASS[] = L"GwSplitter";

} // namespace

std::vector<Span> LayoutSpans(const std::vector<int>& ideal, int total, int bar) {
    std::vector<Span> spans;
    if (ideal.empty())
        return spans;
    if (total < 0)
        total = 0;
    if (bar < 0)
        bar = 0;
    int pos = 0;
    for (size_t i = 0; i + 1 < ideal.size(); ++i) {
        int room = total - pos;
        if (room < 0)
            room = 0;
        int size = ideal[i] < 0 ? 0 : ideal[i];
        if (size > room)
            size = room;
        spans.push_back(Span{pos < total ? pos : total, size});
        pos += size + bar;
    }
    int start = pos < total ? pos : total;
    spans.push_back(Span{start, total - start});
    return spans;
}

bool Splitter::CreateStatic(HWND parent, int rows, int cols, UINT id) {
    if (rows < 1 || rows > 16 || cols < 1 || cols > 16)
        return false;
    if (!RegisterWidgetClass(SPLITTER_CLASS, CS_DBLCLKS, IDC_ARROW, COLOR_BTNFACE))
        return false;
    rows_ = rows;
    cols_ = cols;
    colInfo_.assign(static_cast<size_t>(cols), Track{});
    rowInfo_.assign(static_cast<size_t>(rows), Track{});
    RECT r = {0, 0, 0, 0};
    return CreateWidget(0, SPLITTER_CLASS, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, r, parent,
                        id) != nullptr;
}

HWND Splitter::PaneWindow(int row, int col) const {
    if (hwnd_ == nullptr || row < 0 || row >= rows_ || col < 0 || col >= cols_)
        return nullptr;
    return GetDlgItem(hwnd_, static_cast<int>(PaneId(row, col)));
}

RECT Splitter::PaneRect(int row, int col) const {
    RECT r = {0, 0, 0, 0};
    if (hwnd_ == nullptr || row < 0 || row >= rows_ || col < 0 || col >= cols_)
        return r;
    RECT client;
    GetClientRect(hwnd_, &client);
    std::vector<int> widths, heights;
    for (const Track& t : colInfo_)
        widths.push_back(t.ideal);
    for (const Track& t : rowInfo_)
        heights.push_back(t.ideal);
    Span x = LayoutSpans(widths, RectWidth(client), bar_)[static_cast<size_t>(col)];
    Span y = LayoutSpans(heights, RectHeight(client), bar_)[static_cast<size_t>(row)];
    return RECT{x.start, y.start, x.start + x.size, y.start + y.size};
}

void Splitter::RecalcLayout() {
    if (hwnd_ == nullptr)
        return;
    for (int r = 0; r < rows_; ++r)
        for (int c = 0; c < cols_; ++c) {
            HWND pane = PaneWindow(r, c);
            if (pane == nullptr)
                continue;
            RECT rc = PaneRect(r, c);
            MoveWindow(pane, rc.left, rc.top, RectWidth(rc), RectHeight(rc), TRUE);
        }
    InvalidateRect(hwnd_, nullptr, TRUE);
}

HWND Splitter::CreateView(int row, int col, const PaneFactory& factory) {
    if (hwnd_ == nullptr || !factory || row < 0 || row >= rows_ || col < 0 || col >= cols_ ||
        PaneWindow(row, col) != nullptr)
        return nullptr;
    HWND view = factory(hwnd_, PaneId(row, col));
    if (view == nullptr || !IsWindow(view))
        return nullptr;
    if (!SetPaneWindow(row, col, view) && PaneWindow(row, col) != view)
        return nullptr;
    return view;
}

bool Splitter::SetPaneWindow(int row, int col, HWND window) {
    if (hwnd_ == nullptr || window == nullptr || row < 0 || row >= rows_ || col < 0 || col >= cols_)
        return false;
    HWND current = PaneWindow(row, col);
    if (current != nullptr && current != window)
        return false;
    if (GetParent(window) != hwnd_)
        SetParent(window, hwnd_);
    SetWindowLongPtrW(window, GWLP_ID, static_cast<LONG_PTR>(PaneId(row, col)));
    RECT rc = PaneRect(row, col);
    MoveWindow(window, rc.left, rc.top, RectWidth(rc), RectHeight(rc), TRUE);
    ShowWindow(window, SW_SHOW);
    return true;
}

HWND Splitter::ReplacePaneView(int row, int col, const PaneFactory& factory, HWND* previous) {
    if (previous != nullptr)
        *previous = nullptr;
    if (hwnd_ == nullptr || !factory || row < 0 || row >= rows_ || col < 0 || col >= cols_)
        return nullptr;
    HWND old = PaneWindow(row, col);
    // The new window is created while the old one still holds the id; the old one
    // must stop being found by id before the new one is laid out.
    HWND view = factory(hwnd_, PaneId(row, col));
    if (view == nullptr || !IsWindow(view) || view == old)
        return nullptr;
    if (old != nullptr) {
        ShowWindow(old, SW_HIDE);
        SetWindowLongPtrW(old, GWLP_ID, 0);
    }
    if (GetParent(view) != hwnd_)
        SetParent(view, hwnd_);
    SetWindowLongPtrW(view, GWLP_ID, static_cast<LONG_PTR>(PaneId(row, col)));
    RecalcLayout();
    ShowWindow(view, SW_SHOW);
    if (previous != nullptr)
        *previous = old;
    return view;
}

void Splitter::SetColumnInfo(int col, int ideal, int minimum) {
    if (col < 0 || col >= cols_)
        return;
    colInfo_[static_cast<size_t>(col)] = Track{ideal < 0 ? 0 : ideal, minimum < 0 ? 0 : minimum};
}

void Splitter::SetRowInfo(int row, int ideal, int minimum) {
    if (row < 0 || row >= rows_)
        return;
    rowInfo_[static_cast<size_t>(row)] = Track{ideal < 0 ? 0 : ideal, minimum < 0 ? 0 : minimum};
}

int Splitter::ColumnIdeal(int col) const {
    if (col < 0 || col >= cols_)
        return 0;
    return colInfo_[static_cast<size_t>(col)].ideal;
}

int Splitter::HitBar(POINT pt) const {
    // Column bars follow each column but the last.
    for (int c = 0; c + 1 < cols_; ++c) {
        RECT left = PaneRect(0, c);
        if (pt.x >= left.right && pt.x < left.right + bar_)
            return c;
    }
    for (int r = 0; r + 1 < rows_; ++r) {
        RECT top = PaneRect(r, 0);
        if (pt.y >= top.bottom && pt.y < top.bottom + bar_)
            return -(r + 2);
    }
    return -1;
}

void Splitter::EndDrag(bool commit) {
    if (dragBar_ == -1)
        return;
    int bar = dragBar_;
    dragBar_ = -1;
    if (GetCapture() == hwnd_)
        ReleaseCapture();
    Track& t =
        bar >= 0 ? colInfo_[static_cast<size_t>(bar)] : rowInfo_[static_cast<size_t>(-(bar + 2))];
    if (!commit) {
        t.ideal = dragOrigin_;
    } else if (t.ideal < t.minimum) {
        t.ideal = 0; // too narrow to be useful: collapse
    }
    RecalcLayout();
}

LRESULT Splitter::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE:
        RecalcLayout();
        return 0;
    case WM_SETCURSOR: {
        POINT pt;
        GetCursorPos(&pt);
        ScreenToClient(hwnd_, &pt);
        int bar = dragBar_ != -1 ? dragBar_ : HitBar(pt);
        if (bar != -1 && LOWORD(lp) == HTCLIENT) {
            SetCursor(LoadCursorA(nullptr, bar >= 0 ? IDC_SIZEWE : IDC_SIZENS));
            return TRUE;
        }
        break;
    }
    case WM_LBUTTONDOWN: {
        POINT pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        int bar = HitBar(pt);
        if (bar == -1)
            return 0;
        dragBar_ = bar;
        RECT pane = bar >= 0 ? PaneRect(0, bar) : PaneRect(-(bar + 2), 0);
        dragOrigin_ = bar >= 0 ? colInfo_[static_cast<size_t>(bar)].ideal
                               : rowInfo_[static_cast<size_t>(-(bar + 2))].ideal;
        // Distance from the pane's start to the grab point, kept while dragging.
        dragPos_ = bar >= 0 ? pt.x - pane.left : pt.y - pane.top;
        dragPos_ -= bar >= 0 ? RectWidth(pane) : RectHeight(pane);
        SetCapture(hwnd_);
        SetFocus(hwnd_);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (dragBar_ != -1) {
            POINT pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            RECT pane = dragBar_ >= 0 ? PaneRect(0, dragBar_) : PaneRect(-(dragBar_ + 2), 0);
            int size = dragBar_ >= 0 ? pt.x - pane.left - dragPos_ : pt.y - pane.top - dragPos_;
            Track& t = dragBar_ >= 0 ? colInfo_[static_cast<size_t>(dragBar_)]
                                     : rowInfo_[static_cast<size_t>(-(dragBar_ + 2))];
            t.ideal = size < 0 ? 0 : size;
            RecalcLayout();
            UpdateWindow(hwnd_);
        }
        return 0;
    case WM_LBUTTONUP:
        EndDrag(true);
        return 0;
    case WM_KEYDOWN:
        if (wp == VK_ESCAPE)
            EndDrag(false);
        return 0;
    case WM_CAPTURECHANGED:
        if (dragBar_ != -1 && reinterpret_cast<HWND>(lp) != hwnd_)
            EndDrag(true);
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}
