#include "console/pages/session_per_ip_page.h"

#include <cstring>

#include "console/pages/ip_address_text.h"
#include "console/res/resource.h"

namespace {
ListPageControls SessionIpControls() {
    ListPageControls controls = {
        IDD_SESSION_IP_PAGE, IDC_SIP_ENABLE, IDC_SESSION_DEFAULT, IDC_SIP_ADD,
        IDC_SIP_REMOVE,      IDC_SIP_EDIT,   IDC_SIP_LIST,        IDR_SESSION_IP_MENU,
        ID_ITEM_ADD,         ID_ITEM_REMOVE, ID_ITEM_EDIT,
    };
    controls.countEdit = IDC_SIP_COUNT;
    controls.countArrows = IDC_SIP_ARROWS;
    return controls;
}

const ListPageHelp DEFAULT_HELP = {
    "By default ",
    "If checked, all client are only allowed the default determined number\nof sessions on "
    "your Terminal Server based on the client's IP address.\nIf unchecked, all IP address will "
    "not be count sessions, except those in\nthe list that are enabled.",
    {true, 5, 25},
};

const ListPageOption OPTIONS[] = {
    {IDC_SIP_RESET,
     &FilterConfigRecord::REMOVE_DISCONNECTED,
     {"Reset disconnected sessions for the user logging in from the same IP Address",
      "If there are disconnected sessions on the server from the same IP address , \nQuillon "
      "will close these sessions in order to guarantee the user has only active sessions \non "
      "the Terminal Server.",
      {false, 15, 20}}},
    {IDC_SIP_IGNORE,
     &FilterConfigRecord::IGNORE_DISCONNECTED,
     {"Ignore Disconnected sessions when calculating session usage",
      "If this box is checked, Quillon will not count disconnected sessions .",
      {false, 5, 20}}},
};
enum { OPTION_RESET, OPTION_IGNORE };

const char* const COLUMNS[] = {"IP address ", "Sessions Max"};
const int COLUMN_WIDTHS[] = {120, 140};

// The dialogs' count field: an integer from 1 to 9.
void ExchangeCount(DataExchange& dx, int field, int32_t& count) {
    DdxInt(dx, field, count);
    DdvMinMax(dx, field, count, SESSION_COUNT_MIN, SESSION_COUNT_MAX);
}
} // namespace

CSessionPerIPView::CSessionPerIPView()
    : ListPage<SessionIpRow>(SessionIpControls(), &FilterConfigRecord::sessionIps,
                             &FilterConfigRecord::FLAG_SERVEROPTION,
                             &FilterConfigRecord::FLAG_SERVEROPTION_CHECK_TYPE, DEFAULT_HELP),
      count_(FilterConfig.SESSION_PER_IP) {
    SetOptions(OPTIONS, 2);
}

const char* CSessionPerIPView::ColumnTitle(int column) const {
    return column >= 0 && column < 2 ? COLUMNS[column] : "";
}

int CSessionPerIPView::ColumnWidth(int column) const {
    return column >= 0 && column < 2 ? COLUMN_WIDTHS[column] : LIST_PAGE_COLUMN_WIDTH;
}

void CSessionPerIPView::RowTexts(const SessionIpRow& row, std::string* texts) const {
    texts[0].assign(row.SESSION_IP, strnlen(row.SESSION_IP, sizeof(row.SESSION_IP)));
    texts[1] = std::to_string(row.SESSION_IPCOUNTER);
}

void CSessionPerIPView::DoDataExchange(DataExchange& dx) {
    DdxCheck(dx, IDC_SIP_ENABLE, EnableValue());
    if (!dx.save || CountFieldLive())
        ExchangeCount(dx, IDC_SIP_COUNT, count_);
    DdxCheck(dx, IDC_SIP_RESET, OptionValue(OPTION_RESET));
    DdxCheck(dx, IDC_SIP_IGNORE, OptionValue(OPTION_IGNORE));
    DdxCheck(dx, IDC_SESSION_DEFAULT, DefaultValue());
}

void CSessionPerIPView::OnDefaultCountChange() {
    // A count that fails has shown its message and is not kept.
    if (!ReadControls())
        return;
    FilterConfig.SESSION_PER_IP = count_;
    MarkConfigModified();
}

void CSessionPerIPView::AddEntry(const char* address, int32_t count) {
    SessionIpRow* row = new SessionIpRow();
    CopyToField(row->SESSION_IP, address);
    row->SESSION_IPCOUNTER = count;
    AppendEntry(row);
}

void CSessionPerIPView::RunAddDialog() {
    SessionIpDialog dialog(*this);
    dialog.DoModal(hwnd());
}

void CSessionPerIPView::RunEditDialog(SessionIpRow& row) {
    SessionIpDialog dialog(row);
    dialog.DoModal(hwnd());
}

SessionIpDialog::SessionIpDialog(CSessionPerIPView& page)
    : ModalDialog(IDD_ADD_SESSION_IP), page_(&page) {}

SessionIpDialog::SessionIpDialog(SessionIpRow& row)
    : ModalDialog(IDD_EDIT_SESSION_IP), row_(&row), count_(row.SESSION_IPCOUNTER) {}

void SessionIpDialog::DoDataExchange(DataExchange& dx) {
    ExchangeCount(dx, IDC_SIP_COUNT, count_);
}

bool SessionIpDialog::OnInitDialog() {
    UpdateData(false);
    BindCountArrows(GetDlgItem(hwnd(), IDC_SIP_ARROWS), GetDlgItem(hwnd(), IDC_SIP_COUNT));
    std::string address = "0.0.0.0";
    if (row_ != nullptr)
        address.assign(row_->SESSION_IP, strnlen(row_->SESSION_IP, sizeof(row_->SESSION_IP)));
    WriteIpAddressControl(GetDlgItem(hwnd(), IDC_IP_FROM), address.c_str());
    return true;
}

void SessionIpDialog::OnOK() {
    if (!UpdateData(true))
        return; // the count failed: its message was shown, the dialog stays open
    char address[64];
    ReadIpAddressControl(GetDlgItem(hwnd(), IDC_IP_FROM), address, sizeof(address));
    if (row_ != nullptr) {
        CopyToField(row_->SESSION_IP, address);
        row_->SESSION_IPCOUNTER = count_;
    } else if (!IsNoIpAddress(address) && page_ != nullptr) {
        page_->AddEntry(address, count_);
    }
    EndDialog(IDOK);
}
