#include "console/pages/ip_address_page.h"

#include <cstring>

#include "console/pages/ip_address_text.h"
#include "console/res/resource.h"

namespace {
const ListPageControls IP_PAGE_CONTROLS = {
    IDD_IPADDRESS_PAGE, IDC_IP_ENABLE,  IDC_DEFAULT_ALLOW, IDC_IP_ADD,
    IDC_IP_REMOVE,      IDC_IP_EDIT,    IDC_IP_LIST,       IDR_IPADDRESS_MENU,
    ID_ITEM_ADD,        ID_ITEM_REMOVE, ID_ITEM_EDIT,
};

const ListPageHelp IP_PAGE_HELP = {
    "By default allow logon",
    "If checked, all IP address are allowed accessing except those \nin the list below that are "
    "disabled. If unchecked, \nall IP address will be denied access, except those in the list "
    "that are enabled.",
    {false, 5, 25},
};

const char* const IP_COLUMNS[] = {"IP address from", "IP address to", "Mode"};

// Reads From and To; To "0.0.0.0" means no To.
void ReadRange(HWND dialog, char (&from)[64], char (&to)[64]) {
    ReadIpAddressControl(GetDlgItem(dialog, IDC_IP_FROM), from, sizeof(from));
    ReadIpAddressControl(GetDlgItem(dialog, IDC_IP_TO), to, sizeof(to));
    if (strcmp(to, "0.0.0.0") == 0)
        to[0] = '\0';
}
} // namespace

CTollbrookView::CTollbrookView()
    : ModeListPage(IP_PAGE_CONTROLS, &FilterConfigRecord::ipRanges,
                   &FilterConfigRecord::FLAG_IPADDRESS, &FilterConfigRecord::FLAG_IPADDRESS_ALLOW,
                   IP_PAGE_HELP, IP_COLUMNS) {}

void CTollbrookView::RowTexts(const IpRangeRow& row, std::string* texts) const {
    texts[0].assign(row.IPFROM, strnlen(row.IPFROM, sizeof(row.IPFROM)));
    texts[1].assign(row.IPTO, strnlen(row.IPTO, sizeof(row.IPTO)));
    texts[2] = ModeText(row.TYPE);
}

void CTollbrookView::AddEntry(const char* from, const char* to, int32_t mode) {
    IpRangeRow* row = new IpRangeRow();
    CopyToField(row->IPFROM, from);
    CopyToField(row->IPTO, to);
    row->TYPE = mode;
    AppendEntry(row);
}

IpAddressDialog::IpAddressDialog(CTollbrookView& page, int32_t defaultAllow)
    : ModeDialog(IDD_ADD_IPADDRESS, ProposedMode(defaultAllow)), page_(&page) {}

IpAddressDialog::IpAddressDialog(IpRangeRow& row)
    : ModeDialog(IDD_EDIT_IPADDRESS, RowMode(row.TYPE)), row_(&row) {}

bool IpAddressDialog::OnInitDialog() {
    ModeDialog::OnInitDialog();
    if (row_ != nullptr) {
        WriteIpAddressControl(GetDlgItem(hwnd(), IDC_IP_FROM), row_->IPFROM);
        WriteIpAddressControl(GetDlgItem(hwnd(), IDC_IP_TO), row_->IPTO);
    }
    return true;
}

void IpAddressDialog::OnOK() {
    char from[64];
    char to[64];
    ReadRange(hwnd(), from, to);
    if (row_ != nullptr) {
        if (IsNoIpAddress(from))
            return; // an edit needs a From: the dialog stays open
        row_->TYPE = ChosenMode();
        CopyToField(row_->IPFROM, from);
        CopyToField(row_->IPTO, to);
        EndDialog(IDOK);
        return;
    }
    if (!IsNoIpAddress(from) && page_ != nullptr)
        page_->AddEntry(from, to, ChosenMode());
    EndDialog(IDOK);
}
