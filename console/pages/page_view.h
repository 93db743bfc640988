// The pages of the console's right pane: form views that edit one part of
// FilterConfig. The frame tells them apart by kind (one kind per page class). The page
// classes keep the names the resources and the help are keyed to (listed below).
#pragma once

#include <cstdint>

#include "console/pages/help_tip.h"
#include "console/widgets/framework_form_view.h"

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

protected:
    // A click on the filter switch `check` once the controls are read: `on` goes into
    // `flag`, the configuration is marked modified and the switch's tip shows.
    void StoreFilterSwitch(int32_t& flag, int32_t on, int check, const HelpTip& tip);

private:
    PageKind kind_;
};
