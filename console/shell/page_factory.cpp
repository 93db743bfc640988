#include "console/shell/page_factory.h"

#include "console/pages/client_version_page.h"
#include "console/pages/computer_name_page.h"
#include "console/pages/ip_address_page.h"
#include "console/pages/mac_address_page.h"
#include "console/pages/session_per_ip_page.h"
#include "console/pages/session_per_user_page.h"
#include "console/pages/time_page.h"
#include "console/tools/log_settings_page.h"
#include "console/tools/popup_messages_page.h"
#include "console/tools/server_monitor_page.h"

namespace {
template <typename Page> std::unique_ptr<PageView> Make() {
    return std::make_unique<Page>();
}

struct PageMaker {
    PageKind kind;
    std::unique_ptr<PageView> (*make)();
};

const PageMaker PAGE_MAKERS[] = {
    {PageKind::IpAddress, Make<CTollbrookView>},
    {PageKind::ComputerName, Make<Ccomputernamefliter>},
    {PageKind::MacAddress, Make<CMacaddress>},
    {PageKind::ClientVersion, Make<CVerVIEW>},
    {PageKind::Time, Make<CTimeView>},
    {PageKind::SessionPerIp, Make<CSessionPerIPView>},
    {PageKind::SessionPerUser, Make<CSessionUserView>},
    {PageKind::ServerMonitor, Make<CServermonitorView>},
    {PageKind::PopupMessages, Make<CMsgPopupView>},
    {PageKind::Logs, Make<CWLogView>},
};
} // namespace

std::unique_ptr<PageView> MakePage(PageKind kind) {
    for (const PageMaker& maker : PAGE_MAKERS) {
        if (maker.kind == kind)
            return maker.make();
    }
    return nullptr;
}
