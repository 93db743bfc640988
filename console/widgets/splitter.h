// A static splitter window: a fixed grid of rows × columns of panes separated by bars
// the user can drag. Each pane holds one child window, found by its control id
// (PaneId(row, col) = 59648 + row * 16 + col): whatever child of the splitter carries
// that id is the pane's window, so a pane window may be created by anyone with the
// splitter as parent and that id. The view of a pane can be replaced: the old window
// is hidden and loses the id, a new one is created by a factory with the pane's id,
// and the layout is recomputed.
//
// Sizes: each column (row) has an ideal and a minimum size; columns take their ideal
// widths from the left and the last column takes whatever is left. A column narrower
// than its minimum after a drag collapses to 0.
#pragma once

#include "console/widgets/widget_common.h"

#include <functional>
#include <vector>

enum : UINT { ID_FIRST_PANE = 59648 };

// Creates the new window of a pane: a child of `parent` with control id `id`
// (WS_CHILD, visible or not: the splitter shows it). Null means failure.
using PaneFactory = std::function<HWND(HWND parent, UINT id)>;

// Pure layout: positions of `count` spans along `total` pixels, with bars of `bar`
// pixels between them. `ideal[i]` is taken for every span but the last, which gets
// the rest; spans are cut at the end so nothing exceeds `total`. Returns the start
// and size of each span.
struct Span {
    int start;
    int size;
};
std::vector<Span> LayoutSpans(const std::vector<int>& ideal, int total, int bar);

class Splitter : public OwnedWindow {
public:
    Splitter() = default;
    ~Splitter() override { Destroy(); }

    // Creates the splitter (child, visible) with `rows` × `cols` panes (each 1..16)
    // in `parent`. False when the window cannot be created or the grid is empty.
    bool CreateStatic(HWND parent, int rows, int cols, UINT id = ID_FIRST_PANE);

    int Rows() const { return rows_; }
    int Cols() const { return cols_; }
    static UINT PaneId(int row, int col) { return ID_FIRST_PANE + row * 16 + col; }

    // Creates the window of an empty pane with `factory`, sized to the pane. Returns
    // it, or null when the pane is out of range, taken, or the factory failed.
    HWND CreateView(int row, int col, const PaneFactory& factory);

    // Replaces the window of pane (row, col) by a new one from `factory`. The new
    // window is created with the pane's id, shown and sized to the pane; the old one
    // (if any) is hidden and its id set to 0 — it is NOT destroyed: the caller gets it
    // through `*previous` (when given) and decides. Returns the new window, or null
    // when the pane is out of range or the factory failed — then the old window stays
    // in place untouched.
    HWND ReplacePaneView(int row, int col, const PaneFactory& factory, HWND* previous = nullptr);

    // Puts an existing window into an empty pane: makes it a child of the splitter
    // with the pane's id and sizes it. False when out of range or the pane is taken.
    bool SetPaneWindow(int row, int col, HWND window);

    // Window in pane (row, col), or null.
    HWND PaneWindow(int row, int col) const;
    // Rectangle of pane (row, col) in the splitter's client coordinates.
    RECT PaneRect(int row, int col) const;

    // Ideal and minimum width of a column / height of a row. Call RecalcLayout after.
    void SetColumnInfo(int col, int ideal, int minimum);
    void SetRowInfo(int row, int ideal, int minimum);
    int ColumnIdeal(int col) const;
    // Moves and sizes every pane window to the current layout.
    void RecalcLayout();

    // Width of the bars between panes (pixels).
    int BarSize() const { return bar_; }

private:
    struct Track {
        int ideal = 0;
        int minimum = 0;
    };
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
    // Bar under a client point: column bar index (>= 0), row bar index encoded as
    // -(index + 2), or -1 for none.
    int HitBar(POINT pt) const;
    void EndDrag(bool commit);

    int rows_ = 0;
    int cols_ = 0;
    int bar_ = 6;
    std::vector<Track> colInfo_;
    std::vector<Track> rowInfo_;
    // Dragging a bar: which one, and where its tracker is drawn.
    int dragBar_ = -1;
    int dragPos_ = 0;
    int dragOrigin_ = 0;
};
