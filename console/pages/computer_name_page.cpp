#include "console/pages/computer_name_page.h"

#include "console/pages/mode_dialog.h"
#include "console/pages/mode_page.h"
#include "console/res/resource.h"

namespace {
const ListColumn NAME_COLUMNS[] = {
    {"Computer Name", LIST_PAGE_COLUMN_WIDTH, TextCell<&ComputerNameRow::CNAME>},
    ModeColumn<ComputerNameRow>(),
};

const ListPageTable NAME_PAGE = ModePageTable(
    {IDD_COMPUTERNAME_PAGE, IDD_ADD_COMPUTERNAME, IDD_EDIT_COMPUTERNAME, IDC_CNAME_ENABLE,
     IDC_CNAME_ADD, IDC_CNAME_REMOVE, IDC_CNAME_EDIT, IDC_CNAME_LIST, IDR_COMPUTERNAME_MENU},
    &FilterConfigRecord::FLAG_COMPUTERNAME, &FilterConfigRecord::FLAG_COMPUTERNAME_ALLOW,
    "If checked, all computer names are allowed to access the Terminal Server, \nexcept "
    "those on the list and in disabled mode. If unchecked,no computer \nname is allowed to "
    "access the Terminal Server except those in the list \nand in enabled mode.",
    NAME_COLUMNS);

// The add (template 136) and edit (template 153) dialogs of a computer name. OK with an
// empty name adds or changes nothing (the mode chosen is dropped too) and closes.
class ComputerNameDialog : public ModeTextDialog<&ComputerNameRow::CNAME> {
public:
    ComputerNameDialog(ComputerNameRow& row, const ListEntry& entry)
        : ModeTextDialog(row, entry, IDC_CNAME_TEXT, row.CNAME) {} // a new row's is empty

protected:
    bool OnInitDialog() override {
        ModeDialog::OnInitDialog();
        // No longer name can be typed or pasted than CNAME holds.
        SendDlgItemMessageA(hwnd(), IDC_CNAME_TEXT, EM_LIMITTEXT, sizeof(text_) - 1, 0);
        UpdateData(false);
        return true;
    }

    void OnOK() override {
        UpdateData(true);
        Store();
        Close(text_[0] != '\0');
    }
};
} // namespace

Ccomputernamefliter::Ccomputernamefliter()
    : ListPage(PageKind::ComputerName, NAME_PAGE, &FilterConfigRecord::computerNames,
               RunEntryDialog<ComputerNameDialog>) {}
