#include "console/pages/page_view.h"

#include "config/config_model.h"

void PageView::SetShown(bool shown) {
    if (shown == shown_)
        return;
    shown_ = shown;
    if (shown)
        OnShown();
    else
        OnHidden();
}

void PageView::StoreFilterSwitch(int32_t& flag, int32_t on, int check, const HelpTip& tip) {
    flag = on;
    MarkConfigModified();
    ShowHelpTip(hwnd(), check, tip);
}
