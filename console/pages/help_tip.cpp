#include "console/pages/help_tip.h"

#include "console/widgets/tip_window.h"

void ShowHelpTip(HWND page, int controlId, const HelpTip& tip) {
    ShowHelpTip(page, GetDlgItem(page, controlId), tip.anchor, tip.title, tip.text);
}

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
    // The tip belongs to the page's top-level window, so a page replaced while its tip
    // is up does not take the tip with it: the tip still lasts its full time.
    HWND owner = page != nullptr ? GetAncestor(page, GA_ROOT) : nullptr;
    tip.Show(owner != nullptr ? owner : page, HelpTipPoint(rect, anchor), title, text,
             HELP_TIP_MILLISECONDS);
}
