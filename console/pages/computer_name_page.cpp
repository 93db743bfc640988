#include "console/pages/computer_name_page.h"

#include <cstring>

#include "console/res/resource.h"

namespace {
const ListPageControls NAME_PAGE_CONTROLS = {
    IDD_COMPUTERNAME_PAGE, IDC_CNAME_ENABLE, IDC_DEFAULT_ALLOW, IDC_CNAME_ADD,
    IDC_CNAME_REMOVE,      IDC_CNAME_EDIT,   IDC_CNAME_LIST,    IDR_COMPUTERNAME_MENU,
    ID_ITEM_ADD,           ID_ITEM_REMOVE,   ID_ITEM_EDIT,
};

const ListPageHelp NAME_PAGE_HELP = {
    "By default allow logon",
    "If checked, all computer names are allowed to access the Terminal Server, \nexcept those "
    "on the list and in disabled mode. If unchecked,no computer \nname is allowed to access the "
    "Terminal Server except those in the list \nand in enabled mode.",
    {false, 5, 25},
};

const char* const NAME_COLUMNS[] = {"Computer Name", "Mode"};
} // namespace

Ccomputernamefliter::Ccomputernamefliter()
    : ModeListPage(NAME_PAGE_CONTROLS, &FilterConfigRecord::computerNames,
                   &FilterConfigRecord::FLAG_COMPUTERNAME,
                   &FilterConfigRecord::FLAG_COMPUTERNAME_ALLOW, NAME_PAGE_HELP, NAME_COLUMNS) {}

void Ccomputernamefliter::RowTexts(const ComputerNameRow& row, std::string* texts) const {
    texts[0].assign(row.CNAME, strnlen(row.CNAME, sizeof(row.CNAME)));
    texts[1] = ModeText(row.TYPE);
}

void Ccomputernamefliter::AddEntry(const char* name, int32_t mode) {
    ComputerNameRow* row = new ComputerNameRow();
    CopyToField(row->CNAME, name);
    row->TYPE = mode;
    AppendEntry(row);
}

ComputerNameDialog::ComputerNameDialog(Ccomputernamefliter& page, int32_t defaultAllow)
    : ModeDialog(IDD_ADD_COMPUTERNAME, ProposedMode(defaultAllow)), page_(&page) {}

ComputerNameDialog::ComputerNameDialog(ComputerNameRow& row)
    : ModeDialog(IDD_EDIT_COMPUTERNAME, RowMode(row.TYPE)), row_(&row) {
    CopyToField(name_, row.CNAME);
}

void ComputerNameDialog::DoDataExchange(DataExchange& dx) {
    DdxText(dx, IDC_CNAME_TEXT, name_, sizeof(name_));
}

bool ComputerNameDialog::OnInitDialog() {
    ModeDialog::OnInitDialog();
    // No longer name can be typed or pasted than CNAME holds.
    SendDlgItemMessageA(hwnd(), IDC_CNAME_TEXT, EM_LIMITTEXT, sizeof(name_) - 1, 0);
    UpdateData(false);
    return true;
}

void ComputerNameDialog::OnOK() {
    UpdateData(true);
    if (name_[0] != '\0') {
        if (row_ != nullptr) {
            CopyToField(row_->CNAME, name_);
            row_->TYPE = ChosenMode();
        } else if (page_ != nullptr) {
            page_->AddEntry(name_, ChosenMode());
        }
    }
    EndDialog(IDOK);
}
