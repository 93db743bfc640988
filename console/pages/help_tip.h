// The pages' help tip: the shared tip window shown under a clicked check box for
// 4500 ms, at a point measured from the anchor's left or right edge and its bottom.
#pragma once

#include <windows.h>

enum : UINT { HELP_TIP_MILLISECONDS = 4500 };

struct TipAnchor {
    bool fromRight; // x measured from the anchor's right edge (else its left edge)
    int dx;         // pixels added to that edge
    int dy;         // pixels below the anchor's bottom edge
};

// A tip's title and text (line breaks start new lines), and where it shows.
struct HelpTip {
    const char* title;
    const char* text;
    TipAnchor anchor;
};

// Where the tip's top left corner goes for an anchor rectangle (screen coordinates).
POINT HelpTipPoint(const RECT& anchorScreenRect, const TipAnchor& anchor);

// Closes any open tip and shows `title` and `text` (line breaks start new lines) for
// the anchor control, owned by `page`.
void ShowHelpTip(HWND page, HWND anchorControl, const TipAnchor& anchor, const char* title,
                 const char* text);
// The same for the page's control `controlId`.
void ShowHelpTip(HWND page, int controlId, const HelpTip& tip);
