#include "console/pages/page_factory.h"

#include "console/pages/computer_name_page.h"
#include "console/pages/mac_address_page.h"
#include "console/pages/session_per_ip_page.h"
#include "console/pages/session_per_user_page.h"
#include "console/pages/time_page.h"
#include "console/pages/ip_address_page.h"
#include "console/pages/client_version_page.h"
#include "console/tools/log_settings_page.h"
#include "console/tools/popup_messages_page.h"
#include "console/tools/server_monitor_page.h"

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
