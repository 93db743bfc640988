#include "console/shell/navigation.h"

#include <cstring>

#include "console/res/resource.h"

const char* const NAVIGATION_GROUPS[3] = {"Logon Filters", "Session limited", "Tools"};

const NavigationItem NAVIGATION_ITEMS[10] = {
    {0, 0, "IP Address", 0},        {0, 1, "Computer Name", 1},
    {0, 2, "MAC address", 2},       {0, 3, "Client Version", 3},
    {0, 4, "Time Restrictions", 4}, {1, 0, "Session per IP", 5},
    {1, 1, "Session per User", 6},  {2, 0, "Servers Information", 7},
    {2, 1, "Popup Messages", 8},    {2, 2, "Logs", 9},
};

const UINT NAVIGATION_ICONS[11] = {
    IDI_NAV_IP_ADDRESS, IDI_NAV_COMPUTER_NAME, IDI_NAV_MAC_ADDRESS,  IDI_NAV_CLIENT_VERSION,
    IDI_NAV_TIME,       IDI_NAV_SESSION_IP,    IDI_NAV_SESSION_USER, IDI_NAV_SERVERS,
    IDI_NAV_POPUP,      IDI_NAV_LOGS,          IDI_NAV_SPARE,
};

bool ChoosePageForItem(int index, const char* text, PageKind* kind) {
    if (text == nullptr)
        text = "";
    switch (index) {
    case 0:
        *kind = strcmp(text, "IP Address") == 0       ? PageKind::IpAddress
                : strcmp(text, "Session per IP") == 0 ? PageKind::SessionPerIp
                                                      : PageKind::ServerMonitor;
        return true;
    case 1:
        *kind = strcmp(text, "Computer Name") == 0      ? PageKind::ComputerName
                : strcmp(text, "Session per User") == 0 ? PageKind::SessionPerUser
                                                        : PageKind::PopupMessages;
        return true;
    case 2:
        if (strcmp(text, "MAC address") == 0) {
            *kind = PageKind::MacAddress;
            return true;
        }
        if (strcmp(text, "Logs") == 0) {
            *kind = PageKind::Logs;
            return true;
        }
        return false;
    case 3:
        *kind = PageKind::ClientVersion;
        return true;
    case 4:
        *kind = PageKind::Time;
        return true;
    default:
        return false;
    }
}

const char* HelpTopicOf(PageKind kind) {
    switch (kind) {
    case PageKind::IpAddress:
        return "ip_address.htm";
    case PageKind::ComputerName:
        return "computer_name.htm";
    case PageKind::MacAddress:
        return "mac_address.htm";
    case PageKind::ClientVersion:
        return "client_version.htm";
    case PageKind::Time:
        return "time_restrictions.htm";
    case PageKind::SessionPerIp:
        return "session_per_ip.htm";
    case PageKind::SessionPerUser:
        return "session_per_user.htm";
    case PageKind::ServerMonitor:
        return "server_monitor.htm";
    case PageKind::PopupMessages:
        return "popup_messages.htm";
    case PageKind::Logs:
        return "logs.htm";
    }
    return nullptr;
}
