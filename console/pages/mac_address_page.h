// The MAC address filter page (CMacaddress) and its add and edit dialogs: the
// macAddresses list of FilterConfig with FLAG_MACADDRESS and FLAG_MACADDRESS_ALLOW.
// The address field is a masked edit; only complete addresses are stored, in upper
// case, and never the all-zero one.
#pragma once

#include "console/pages/mode_dialog.h"
#include "console/pages/mode_list_page.h"

// The address field's mask, prompt and the add dialog's default text.
extern const char MAC_ADDRESS_MASK[];   // "HH-HH-HH-HH-HH-HH"
extern const char MAC_ADDRESS_PROMPT[]; // "__-__-__-__-__-__"
extern const char MAC_ADDRESS_NONE[];   // "00-00-00-00-00-00"

class MacAddressDialog;

class CMacaddress : public ModeListPage<CMacaddress, MacAddressRow, MacAddressDialog> {
public:
    CMacaddress();
    PageKind Kind() const override { return PageKind::MacAddress; }

    // The page's add operation: a new row `address` with `mode` (0 or 1) at the end.
    void AddEntry(const char* address, int32_t mode);

protected:
    void RowTexts(const MacAddressRow& row, std::string* texts) const override;
};

// The add (template 142) and edit (template 154) dialogs of a MAC address. OK shows
// the address in upper case; an incomplete one keeps the dialog open with the field
// focused; the all-zero one adds or changes nothing and closes.
class MacAddressDialog : public ModeDialog {
public:
    MacAddressDialog(CMacaddress& page, int32_t defaultAllow);
    explicit MacAddressDialog(MacAddressRow& row);

protected:
    void DoDataExchange(DataExchange& dx) override;
    bool OnInitDialog() override;
    void OnOK() override;

private:
    CMacaddress* page_ = nullptr;
    MacAddressRow* row_ = nullptr;
    char address_[sizeof(MacAddressRow::MACADDRESS)] = {};
};
