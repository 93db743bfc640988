#include "console/pages/mac_address_page.h"

#include <cstring>

#include "console/res/resource.h"
#include "console/widgets/masked_edit.h"

const char MAC_ADDRESS_MASK[] = "HH-HH-HH-HH-HH-HH";
const char MAC_ADDRESS_PROMPT[] = "__-__-__-__-__-__";
const char MAC_ADDRESS_NONE[] = "00-00-00-00-00-00";

namespace {
const ListPageControls MAC_PAGE_CONTROLS = {
    IDD_MACADDRESS_PAGE, IDC_MAC_ENABLE, IDC_DEFAULT_ALLOW, IDC_MAC_ADD,
    IDC_MAC_REMOVE,      IDC_MAC_EDIT,   IDC_MAC_LIST,      IDR_MACADDRESS_MENU,
    ID_ITEM_ADD,         ID_ITEM_REMOVE, ID_ITEM_EDIT,
};

const ListPageHelp MAC_PAGE_HELP = {
    "By default allow logon",
    "If checked, all MAC address are allowed access to the Terminal Server except \nthe ones on "
    "the list in disabled mode. If unchecked, \nall MAC addresses will be denied access, except "
    "those in the list and in enabled mode.",
    {false, 5, 25},
};

const char* const MAC_COLUMNS[] = {"MAC Address", "Mode"};

void ToUpperAscii(char* text) {
    for (char* p = text; *p != '\0'; ++p) {
        if (*p >= 'a' && *p <= 'z')
            *p = static_cast<char>(*p - 'a' + 'A');
    }
}
} // namespace

CMacaddress::CMacaddress()
    : ModeListPage(MAC_PAGE_CONTROLS, &FilterConfigRecord::macAddresses,
                   &FilterConfigRecord::FLAG_MACADDRESS, &FilterConfigRecord::FLAG_MACADDRESS_ALLOW,
                   MAC_PAGE_HELP, MAC_COLUMNS) {}

void CMacaddress::RowTexts(const MacAddressRow& row, std::string* texts) const {
    texts[0].assign(row.MACADDRESS, strnlen(row.MACADDRESS, sizeof(row.MACADDRESS)));
    texts[1] = ModeText(row.TYPE);
}

void CMacaddress::AddEntry(const char* address, int32_t mode) {
    MacAddressRow* row = new MacAddressRow();
    CopyToField(row->MACADDRESS, address);
    row->TYPE = mode;
    AppendEntry(row);
}

MacAddressDialog::MacAddressDialog(CMacaddress& page, int32_t defaultAllow)
    : ModeDialog(IDD_ADD_MACADDRESS, ProposedMode(defaultAllow)), page_(&page) {
    CopyToField(address_, MAC_ADDRESS_NONE);
}

MacAddressDialog::MacAddressDialog(MacAddressRow& row)
    : ModeDialog(IDD_EDIT_MACADDRESS, RowMode(row.TYPE)), row_(&row) {
    CopyToField(address_, row.MACADDRESS);
}

void MacAddressDialog::DoDataExchange(DataExchange& dx) {
    DdxText(dx, IDC_MAC_TEXT, address_, sizeof(address_));
}

bool MacAddressDialog::OnInitDialog() {
    ModeDialog::OnInitDialog();
    HWND field = GetDlgItem(hwnd(), IDC_MAC_TEXT);
    BindMaskedEdit(field);
    SetMaskedEditFormat(field, MAC_ADDRESS_MASK, MAC_ADDRESS_PROMPT, address_);
    return true;
}

void MacAddressDialog::OnOK() {
    UpdateData(true);
    ToUpperAscii(address_);
    UpdateData(false); // the dialog shows the form that is stored
    HWND field = GetDlgItem(hwnd(), IDC_MAC_TEXT);
    if (!IsMaskedEditComplete(field)) {
        // A half-typed address is no address: the administrator finishes it or cancels.
        SendMessageA(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
        return;
    }
    if (strcmp(address_, MAC_ADDRESS_NONE) != 0) {
        if (row_ != nullptr) {
            CopyToField(row_->MACADDRESS, address_);
            row_->TYPE = ChosenMode();
        } else if (page_ != nullptr) {
            page_->AddEntry(address_, ChosenMode());
        }
    }
    EndDialog(IDOK);
}
