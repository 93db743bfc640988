#include "console/pages/session_per_ip_page.h"

#include "console/pages/count_page.h"
#include "console/pages/ip_address_text.h"

namespace {
const ListColumn COLUMNS[] = {
    {"IP address ", LIST_PAGE_COLUMN_WIDTH, TextCell<&SessionIpRow::SESSION_IP>},
    CountColumn<&SessionIpRow::SESSION_IPCOUNTER>(140),
};

const ListPageOption OPTIONS[] = {
    {IDC_SIP_RESET,
     &FilterConfigRecord::REMOVE_DISCONNECTED,
     {"Reset disconnected sessions for the user logging in from the same IP Address",
      "If there are disconnected sessions on the server from the same IP address , \nQuillon "
      "will close these sessions in order to guarantee the user has only active sessions \non "
      "the Terminal Server.",
      {false, 15, 20}}},
    IgnoreDisconnectedOption(IDC_SIP_IGNORE, &FilterConfigRecord::IGNORE_DISCONNECTED, 5),
};

const int READ_ORDER[] = {IDC_SIP_ENABLE, IDC_SIP_COUNT, READ_OPTIONS, IDC_SESSION_DEFAULT};

const ListPageTable SESSION_IP_PAGE = CountPageTable(
    {IDD_SESSION_IP_PAGE, IDD_ADD_SESSION_IP, IDD_EDIT_SESSION_IP, IDC_SIP_ENABLE, IDC_SIP_ADD,
     IDC_SIP_REMOVE, IDC_SIP_EDIT, IDC_SIP_LIST, IDR_SESSION_IP_MENU, IDC_SIP_COUNT,
     IDC_SIP_ARROWS},
    &FilterConfigRecord::FLAG_SERVEROPTION,
    {&FilterConfigRecord::FLAG_SERVEROPTION_CHECK_TYPE,
     "If checked, all client are only allowed the default determined number\nof sessions on "
     "your Terminal Server based on the client's IP address.\nIf unchecked, all IP address "
     "will not be count sessions, except those in\nthe list that are enabled.",
     &FilterConfigRecord::SESSION_PER_IP, CountRule::InRange},
    COLUMNS, OPTIONS, READ_ORDER);

// The add (template 160) and edit (template 161) dialogs of an address and its count
// (1 to 9). Add: a blank address, count 1; OK with an address adds it. Edit: shows the
// row; OK writes the address (as the control reads it) and the count.
class SessionIpDialog : public CountEntryDialog<&SessionIpRow::SESSION_IPCOUNTER> {
public:
    using CountEntryDialog::CountEntryDialog;

protected:
    void DoDataExchange(DataExchange& dx) override {
        ExchangeCount(dx);
        DdvMinMax(dx, IDC_SIP_COUNT, count_, SESSION_COUNT_MIN, SESSION_COUNT_MAX);
    }

    bool OnInitDialog() override {
        ShowFields();
        // A new row's blank address leaves the control blank.
        WriteIpAddressControl(GetDlgItem(hwnd(), IDC_IP_FROM), FieldText(row_.SESSION_IP).c_str());
        return true;
    }

    void OnOK() override {
        if (!UpdateData(true))
            return; // the count failed: its message was shown, the dialog stays open
        IpAddressText address;
        ReadIpAddressControl(GetDlgItem(hwnd(), IDC_IP_FROM), address, sizeof(address));
        CopyToField(row_.SESSION_IP, address);
        StoreCount();
        Close(!adding_ || !IsNoIpAddress(address));
    }
};
} // namespace

CSessionPerIPView::CSessionPerIPView()
    : ListPage(PageKind::SessionPerIp, SESSION_IP_PAGE, &FilterConfigRecord::sessionIps,
               RunEntryDialog<SessionIpDialog>) {}
