#include "console/pages/mac_address_page.h"

#include <cstring>

#include "console/pages/mode_dialog.h"
#include "console/pages/mode_page.h"
#include "console/res/resource.h"
#include "console/widgets/masked_edit.h"

const char MAC_ADDRESS_MASK[] = "HH-HH-HH-HH-HH-HH";
const char MAC_ADDRESS_PROMPT[] = "__-__-__-__-__-__";
const char MAC_ADDRESS_NONE[] = "00-00-00-00-00-00";

namespace {
const ListColumn MAC_COLUMNS[] = {
    {"MAC Address", LIST_PAGE_COLUMN_WIDTH, TextCell<&MacAddressRow::MACADDRESS>},
    ModeColumn<MacAddressRow>(),
};

const ListPageTable MAC_PAGE = ModePageTable(
    {IDD_MACADDRESS_PAGE, IDD_ADD_MACADDRESS, IDD_EDIT_MACADDRESS, IDC_MAC_ENABLE, IDC_MAC_ADD,
     IDC_MAC_REMOVE, IDC_MAC_EDIT, IDC_MAC_LIST, IDR_MACADDRESS_MENU},
    &FilterConfigRecord::FLAG_MACADDRESS, &FilterConfigRecord::FLAG_MACADDRESS_ALLOW,
    "If checked, all MAC address are allowed access to the Terminal Server except \nthe ones "
    "on the list in disabled mode. If unchecked, \nall MAC addresses will be denied access, "
    "except those in the list and in enabled mode.",
    MAC_COLUMNS);

void ToUpperAscii(char* text) {
    for (char* p = text; *p != '\0'; ++p) {
        if (*p >= 'a' && *p <= 'z')
            *p = static_cast<char>(*p - 'a' + 'A');
    }
}

// The add (template 142) and edit (template 154) dialogs of a MAC address. OK shows
// the address in upper case; an incomplete one keeps the dialog open with the field
// focused; the all-zero one adds or changes nothing and closes.
class MacAddressDialog : public ModeTextDialog<&MacAddressRow::MACADDRESS> {
public:
    MacAddressDialog(MacAddressRow& row, const ListEntry& entry)
        : ModeTextDialog(row, entry, IDC_MAC_TEXT,
                         entry.adding ? MAC_ADDRESS_NONE : row.MACADDRESS) {}

protected:
    bool OnInitDialog() override {
        ModeDialog::OnInitDialog();
        HWND field = GetDlgItem(hwnd(), IDC_MAC_TEXT);
        BindMaskedEdit(field);
        SetMaskedEditFormat(field, MAC_ADDRESS_MASK, MAC_ADDRESS_PROMPT, text_);
        return true;
    }

    void OnOK() override {
        UpdateData(true);
        ToUpperAscii(text_);
        UpdateData(false); // the dialog shows the form that is stored
        HWND field = GetDlgItem(hwnd(), IDC_MAC_TEXT);
        if (!IsMaskedEditComplete(field)) {
            // A half-typed address is no address: the administrator finishes it or cancels.
            SendMessageA(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
            return;
        }
        Store();
        Close(strcmp(text_, MAC_ADDRESS_NONE) != 0);
    }
};
} // namespace

CMacaddress::CMacaddress()
    : ListPage(PageKind::MacAddress, MAC_PAGE, &FilterConfigRecord::macAddresses,
               RunEntryDialog<MacAddressDialog>) {}
