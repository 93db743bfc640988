// The pages of the console's right pane: form views that edit one part of
// FilterConfig. The frame tells them apart by kind (one kind per page class).
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
    explicit PageView(UINT templateId) : FormView(templateId) {}
    virtual PageKind Kind() const = 0;
};
