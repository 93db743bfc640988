// The pages of the console's right pane: form views that edit one part of
// FilterConfig. The frame tells them apart by kind (one kind per page class). The page
// classes keep the names the resources and the help are keyed to (listed below).
#pragma once

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

private:
    PageKind kind_;
};
