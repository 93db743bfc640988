// The help tip: a borderless pop-up with a bold title line and a text broken into
// lines at each '\n', painted in the system's tooltip colours, that closes by itself
// after a given time. One tip window serves the whole process (SharedHelpTip); each
// Show closes the tip shown before. The tip is owned by the top-level window of the
// window given to Show and goes when that one is destroyed; a child page that is
// hidden or destroyed meanwhile leaves the tip to its timer.
//
// Screen readers find the tip as a tool tip (WM_GETOBJECT) named with its title and
// described by its text, and hear of it by the show event it raises when it appears.
#pragma once

#include "console/widgets/accessible_object.h"
#include "console/widgets/widget_common.h"

#include <cstdint>
#include <string>

enum : uint32_t {
    TIP_STYLE_SHADOW = 0x2,          // the tip casts a drop shadow
    TIP_STYLE_SHADOW_NO_DITHER = 0x4 // the shadow is solid, not a dithered checker
};

class TipWindow : private AccessibleParts {
public:
    TipWindow() = default; // no window until Show
    ~TipWindow();
    TipWindow(const TipWindow&) = delete;
    TipWindow& operator=(const TipWindow&) = delete;

    // Style bits TIP_STYLE_*; other bits are kept but have no effect.
    void SetStyle(uint32_t flags) { style_ = flags; }
    uint32_t Style() const { return style_; }

    // Space between the tip's edge and its text, each raised to 3 when smaller.
    void SetMargins(int left, int top, int right, int bottom);
    RECT Margins() const { return margins_; }

    // Hides any open tip, then shows a new one owned by `owner` with its top left
    // corner at `topLeft` (screen pixels), for `milliseconds` (0: until Hide). Title
    // and text are UTF-8; null counts as empty. Not activated: the focus stays where
    // it was. False when the window cannot be created.
    bool Show(HWND owner, POINT topLeft, const char* title, const char* text, UINT milliseconds);
    // The same at the bottom left corner of `anchor` (screen rectangle).
    bool Show(HWND owner, const RECT& anchor, const char* title, const char* text,
              UINT milliseconds);

    // Hides and destroys the open tip, if any.
    void Hide();
    bool IsShown() const;

    HWND hwnd() const { return hwnd_; }
    const std::string& Title() const { return title_; }
    const std::string& Text() const { return text_; }
    // Lines the text is drawn as (the text split at each '\n').
    int LineCount() const;
    // Where the text's first line starts, in the tip's client coordinates (left and
    // top margin; the title line comes first).
    POINT TextOrigin() const;

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

private:
    void Paint(HDC dc);
    SIZE MeasureBody(HDC dc) const;
    int AccChildCount() const override { return 0; }
    std::string AccName(int) const override { return title_; }
    std::string AccDescription(int) const override;
    long AccRole(int) const override { return ROLE_SYSTEM_TOOLTIP; }
    long AccState(int) const override { return STATE_SYSTEM_READONLY; }
    RECT AccRect(int) const override { return RECT{0, 0, 0, 0}; }
    int AccHitTest(POINT) const override { return 0; }

    HWND hwnd_ = nullptr;
    uint32_t style_ = 0;
    RECT margins_ = {3, 3, 3, 3};
    std::string title_;
    std::string text_;
    HFONT titleFont_ = nullptr; // bold variant of the tooltip font, made on Show
    HFONT textFont_ = nullptr;
    int titleHeight_ = 0;
    AccessibleHost access_{*this};
};

// The process's one help tip, configured once at start-up and shown by the pages.
TipWindow& SharedHelpTip();
