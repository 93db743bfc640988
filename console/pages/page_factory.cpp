#include "console/pages/page_factory.h"

#include "console/pages/computer_name_view.h"
#include "console/pages/mac_address_view.h"
#include "console/pages/session_per_ip_view.h"
#include "console/pages/session_user_view.h"
#include "console/pages/time_view.h"
#include "console/pages/tollbrook_view.h"
#include "console/pages/version_view.h"
#include "console/tools/log_view.h"
#include "console/tools/msg_popup_view.h"
#include "console/tools/server_monitor_view.h"

std::unique_ptr<PageView> MakePage(PageKind kind) {
    switch (kind) {
    case PageKind::IpAddress:
        return std::make_unique<CTollbrookView>();
    case PageKind::ComputerName:
        return std::make_unique<Ccomputernamefliter>();
    case PageKind::MacAddress:
        return std::make_unique<CMacaddress>();
    case PageKind::ClientVersion:
        return std::make_unique<CVerVIEW>();
    case PageKind::Time:
        return std::make_unique<CTimeView>();
    case PageKind::SessionPerIp:
        return std::make_unique<CSessionPerIPView>();
    case PageKind::SessionPerUser:
        return std::make_unique<CSessionUserView>();
    case PageKind::ServerMonitor:
        return std::make_unique<CServermonitorView>();
    case PageKind::PopupMessages:
        return std::make_unique<CMsgPopupView>();
    case PageKind::Logs:
        return std::make_unique<CWLogView>();
    }
    return nullptr;
}
