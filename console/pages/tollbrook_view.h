// The IP address filter page (CTollbrookView) and its add and edit dialogs: the
// ipRanges list of FilterConfig with FLAG_IPADDRESS and FLAG_IPADDRESS_ALLOW.
#pragma once

#include "console/pages/list_page.h"
#include "console/widgets/framework_dialog.h"

class CTollbrookView : public ListPage<IpRangeRow> {
public:
    CTollbrookView();
    PageKind Kind() const override { return PageKind::IpAddress; }

    // The add entry operation: a new row From-To with `mode` (0 or 1) at the end.
    void AddEntry(const char* from, const char* to, int32_t mode);

protected:
    int ColumnCount() const override { return 3; }
    const char* ColumnTitle(int column) const override;
    void RowTexts(const IpRangeRow& row, std::string* texts) const override;
    void RunAddDialog() override;
    void RunEditDialog(IpRangeRow& row) override;
};

// Mode chooser items, in this order.
enum : int32_t { MODE_INDEX_DISABLED = 0, MODE_INDEX_ENABLED = 1 };

// The add (template 131) and edit (template 152) dialogs of an address range.
class IpAddressDialog : public ModalDialog {
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
    // Index of the chosen mode; a typed text that names no item keeps the mode the
    // dialog opened with.
    int32_t ChosenMode() const;

    CTollbrookView* page_ = nullptr;
    IpRangeRow* row_ = nullptr;
    int32_t initialMode_ = MODE_INDEX_ENABLED;
};
