// The frame's status bar: a message pane that stretches, then key-state indicators
// ("CAP", "NUM", "SCRL") that show their text while the key's toggle is on and are
// blank while it is off. The indicators follow the keyboard by themselves (a short
// timer re-reads the thread's key state); UpdateIndicators forces a refresh.
#pragma once

#include "console/widgets/widget_common.h"

#include <string>
#include <vector>

enum : UINT {
    ID_STATUS_BAR = 59393,
    ID_INDICATOR_SEPARATOR = 0, // the message pane
    ID_INDICATOR_CAPS = 59137,  // "CAP", Caps Lock
    ID_INDICATOR_NUM = 59138,   // "NUM", Num Lock
    ID_INDICATOR_SCRL = 59139,  // "SCRL", Scroll Lock
    ID_IDLE_MESSAGE = 57345,    // string shown in the message pane when idle
};

class StatusBar : public OwnedWindow {
public:
    StatusBar() = default;
    ~StatusBar() override { Destroy(); }

    // Creates the bar (child, visible, at the bottom) in `parent`. Each entry of
    // `indicators` is a pane, in order: ID_INDICATOR_SEPARATOR for the message pane,
    // or one of the key indicators (its text comes from the string table when the
    // id has a string there, else the built-in "CAP"/"NUM"/"SCRL"). Unknown ids give
    // a pane showing their string. False when the window cannot be created or
    // `count` is not 1..16. Strings come from `module` (null: the executable).
    bool Create(HWND parent, UINT id, const UINT* indicators, int count,
                HINSTANCE module = nullptr);

    int PaneCount() const { return static_cast<int>(panes_.size()); }
    // Pane index of indicator `id`, -1 when absent.
    int PaneIndex(UINT id) const;
    // Current text of pane `index` as shown (empty for an indicator that is off).
    std::string PaneText(int index) const;

    // Message pane (the first ID_INDICATOR_SEPARATOR pane) text. Empty or null text
    // shows the idle message ("Ready" unless string ID_IDLE_MESSAGE says otherwise).
    void SetMessageText(const char* utf8);
    void ShowIdleMessage() { SetMessageText(nullptr); }

    // Re-reads Caps/Num/Scroll Lock of the calling thread and updates the indicators.
    void UpdateIndicators();

    // Height the bar needs (whatever the frame's width).
    int CalcHeight(int frameClientWidth) const;
    // Layout for the frame: when visible, places the bar along the bottom of
    // `*remaining` and removes its height from it.
    void LayoutIn(RECT* remaining);

    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                         UINT_PTR idSubclass, DWORD_PTR refData);

private:
    struct Pane {
        UINT id;
        std::string text; // text when shown
        int width;        // pixels
    };
    void SetPartsFromWidths();
    std::vector<Pane> panes_;
    std::string idle_;
};
