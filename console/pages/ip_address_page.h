// The IP address filter page (CTollbrookView) and its add and edit dialogs: the
// ipRanges list of FilterConfig with FLAG_IPADDRESS and FLAG_IPADDRESS_ALLOW.
#pragma once

#include "console/pages/mode_dialog.h"
#include "console/pages/mode_list_page.h"

class IpAddressDialog;

class CTollbrookView : public ModeListPage<CTollbrookView, IpRangeRow, IpAddressDialog> {
public:
    CTollbrookView();
    PageKind Kind() const override { return PageKind::IpAddress; }

    // The add entry operation: a new row From-To with `mode` (0 or 1) at the end.
    void AddEntry(const char* from, const char* to, int32_t mode);

protected:
    void RowTexts(const IpRangeRow& row, std::string* texts) const override;
};

// The add (template 131) and edit (template 152) dialogs of an address range.
class IpAddressDialog : public ModeDialog {
public:
    // Add: preselects "Logon disabled" when the default allows logon, else "Logon
    // enabled"; OK hands a non-empty From to the page.
    IpAddressDialog(CTollbrookView& page, int32_t defaultAllow);
    // Edit: shows the row; OK with a From writes it into the row and closes, OK
    // without one keeps the dialog open.
    explicit IpAddressDialog(IpRangeRow& row);

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    CTollbrookView* page_ = nullptr;
    IpRangeRow* row_ = nullptr;
};
