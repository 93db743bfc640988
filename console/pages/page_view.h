// The pages of the console's right pane: form views that edit one part of
// FilterConfig. The frame tells them apart by kind (one kind per page class). The page
// classes keep the names the resources and the help are keyed to (listed below).
#pragma once

#include <cstdint>

#include "console/pages/help_tip.h"
#include "console/framework/framework_form_view.h"

enum class PageKind {
    IpAddress,      // CTollbrookView
    ComputerName,   // Ccomputernamefliter
    MacAddress,     // CMacaddress
    ClientVersion,  // CVerVIEW
    Time,           // CTimeView
    SessionPerIp,   // CSessionPerIPView
    SessionPerUser, // CSessionUserView
    ServerMonitor,  // CServermonitorView
    PopupMessages,  // CMsgPopupView
    Logs,           // CWLogView
};

class PageView : public FormView {
public:
    PageView(UINT templateId, PageKind kind) : FormView(templateId), kind_(kind) {}
    PageKind Kind() const { return kind_; }

    // The frame tells a page when it puts it in its pane and when it replaces it; a
    // page made outside the frame is never shown.
    void SetShown(bool shown);
    bool IsShown() const { return shown_; }

    // Selects entry `index` (from 0) of the page's list alone, scrolled into view and
    // focused; a page without a list, or an index it does not hold, leaves all as is.
    virtual void ShowEntry(int) {}

protected:
    // What a page does when it comes into view or leaves it.
    virtual void OnShown() {}
    virtual void OnHidden() {}

    // A click on the filter switch `check` once the controls are read: `on` goes into
    // `flag`, the configuration is marked modified and the switch's tip shows.
    void StoreFilterSwitch(int32_t& flag, int32_t on, int check, const HelpTip& tip);

    // The "Audit only" check box (IDC_AUDIT_ONLY) of a filter's page shows and sets that
    // filter's bit of AuditOnly, which Apply stores beside the configuration.
    // ShowAuditSwitch checks the box from the setting (a page without the box is left
    // alone); OnAuditSwitch answers a click on the box, and is false for any other command.
    void ShowAuditSwitch();
    bool OnAuditSwitch(UINT id, UINT code);

private:
    PageKind kind_;
    bool shown_ = false;
};
