#include "console/pages/ip_address_page.h"

#include "console/pages/ip_address_text.h"
#include "console/pages/mode_dialog.h"
#include "console/pages/mode_page.h"
#include "console/res/resource.h"

namespace {
const ListColumn IP_COLUMNS[] = {
    {"IP address from", LIST_PAGE_COLUMN_WIDTH, TextCell<&IpRangeRow::IPFROM>},
    {"IP address to", LIST_PAGE_COLUMN_WIDTH, TextCell<&IpRangeRow::IPTO>},
    ModeColumn<IpRangeRow>(),
};

const ListPageTable IP_PAGE = ModePageTable(
    {IDD_IPADDRESS_PAGE, IDD_ADD_IPADDRESS, IDD_EDIT_IPADDRESS, IDC_IP_ENABLE, IDC_IP_ADD,
     IDC_IP_REMOVE, IDC_IP_EDIT, IDC_IP_LIST, IDR_IPADDRESS_MENU},
    &FilterConfigRecord::FLAG_IPADDRESS, &FilterConfigRecord::FLAG_IPADDRESS_ALLOW,
    "If checked, all IP address are allowed accessing except those \nin the list below that "
    "are disabled. If unchecked, \nall IP address will be denied access, except those in the "
    "list that are enabled.",
    IP_COLUMNS);

// The add (template 131) and edit (template 152) dialogs of an address range. OK with
// a From stores the range and closes; without one, an add closes having added nothing
// and an edit stays open.
class IpAddressDialog : public ModeEntryDialog<IpRangeRow> {
public:
    using ModeEntryDialog::ModeEntryDialog;

protected:
    bool OnInitDialog() override {
        ModeDialog::OnInitDialog();
        if (!adding_) {
            WriteIpAddressControl(GetDlgItem(hwnd(), IDC_IP_FROM), row_.IPFROM);
            WriteIpAddressControl(GetDlgItem(hwnd(), IDC_IP_TO), row_.IPTO);
        }
        return true;
    }

    void OnOK() override {
        IpAddressText from;
        IpAddressText to;
        ReadIpAddressControl(GetDlgItem(hwnd(), IDC_IP_FROM), from, sizeof(from));
        ReadIpAddressControl(GetDlgItem(hwnd(), IDC_IP_TO), to, sizeof(to));
        if (IsNoIpAddress(to))
            to[0] = '\0'; // no To
        if (IsNoIpAddress(from) && !adding_)
            return; // an edit needs a From: the dialog stays open
        row_.TYPE = ChosenMode();
        CopyToField(row_.IPFROM, from);
        CopyToField(row_.IPTO, to);
        Close(!IsNoIpAddress(from));
    }
};
} // namespace

CTollbrookView::CTollbrookView()
    : ListPage(PageKind::IpAddress, IP_PAGE, &FilterConfigRecord::ipRanges,
               RunEntryDialog<IpAddressDialog>) {}
