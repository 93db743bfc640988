#include "console/pages/help_tip.h"

#include "console/widgets/tip_window.h"

POINT HelpTipPoint(const RECT& anchorScreenRect, const TipAnchor& anchor) {
    POINT point;
    point.x = (anchor.fromRight ? anchorScreenRect.right : anchorScreenRect.left) + anchor.dx;
    point.y = anchorScreenRect.bottom + anchor.dy;
    return point;
}

void ShowHelpTip(HWND page, HWND anchorControl, const TipAnchor& anchor, const char* title,
                 const char* text) {
    TipWindow& tip = SharedHelpTip();
    tip.Hide();
    RECT rect = {};
    if (anchorControl == nullptr || !GetWindowRect(anchorControl, &rect))
        return;
    tip.Show(page, HelpTipPoint(rect, anchor), title, text, HELP_TIP_MILLISECONDS);
}
