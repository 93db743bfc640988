#include "console/pages/session_per_user_page.h"

#include <cstring>

#include "console/res/resource.h"

namespace {
ListPageControls SessionUserControls() {
    ListPageControls controls = {
        IDD_SESSION_USER_PAGE,
        IDC_SUSER_ENABLE,
        IDC_SESSION_DEFAULT,
        IDC_SUSER_ADD,
        IDC_SUSER_REMOVE,
        IDC_SUSER_EDIT,
        IDC_SUSER_LIST,
        0,
        0,
        0,
        0,
    };
    controls.countEdit = IDC_SUSER_COUNT;
    controls.countArrows = IDC_SUSER_ARROWS;
    return controls;
}

const ListPageHelp DEFAULT_HELP = {
    "By default ",
    "If checked, all users are only allowed the default determined number\nof sessions on your "
    "Terminal Server based on the user name.\nIf unchecked, all user not be count sessions, "
    "except those in\nthe list that are enabled.",
    {true, 5, 25},
};

const ListPageOption OPTIONS[] = {
    {IDC_SUSER_RESET,
     &FilterConfigRecord::FLAG_USER_REMOVE_DISCONNECTED,
     {"Reset disconnected sessions for the user logging in",
      "If there are disconnected sessions on the server from the same user name , \nQuillon "
      "will close these sessions in order to guarantee the user has only active sessions \non "
      "the Terminal Server.",
      {false, 15, 20}}},
    {IDC_SUSER_IGNORE,
     &FilterConfigRecord::FLAG_USER_IGNORE_DISCONNECTED,
     {"Ignore Disconnected sessions when calculating session usage",
      "If this box is checked, Quillon will not count disconnected sessions .",
      {false, 15, 20}}},
    {IDC_SUSER_IGNORE_ADMIN,
     &FilterConfigRecord::FLAG_USER_IGNORE_ADMINISTRATOR,
     {"Ignore administrator's sessions when calculating session",
      "If this box is checked, Quillon will not count sessions opened on the terminal server by "
      "the administrator user.",
      {false, 15, 20}}},
};
enum { OPTION_RESET, OPTION_IGNORE, OPTION_IGNORE_ADMIN };

const char* const COLUMNS[] = {"User Name ", "Sessions Max"};
const int COLUMN_WIDTHS[] = {120, 160};

std::string BoundedText(const char* field, size_t size) {
    return std::string(field, strnlen(field, size));
}
} // namespace

int32_t LeadingDecimal(const char* text) {
    if (text == nullptr)
        return 0;
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        ++p;
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > 2147483648LL)
            value = 2147483648LL;
    }
    if (negative)
        return static_cast<int32_t>(-value);
    return value > 2147483647LL ? 2147483647 : static_cast<int32_t>(value);
}

CSessionUserView::CSessionUserView()
    : ListPage<SessionUserRow>(SessionUserControls(), &FilterConfigRecord::sessionUsers,
                               &FilterConfigRecord::FLAG_SERVEROPTION_SESSIONPERUSER,
                               &FilterConfigRecord::FLAG_SESSION_PER_USER_DEFAULT, DEFAULT_HELP),
      count_(FilterConfig.SESSIONPERUSER_COUNT) {
    SetOptions(OPTIONS, 3);
}

const char* CSessionUserView::ColumnTitle(int column) const {
    return column >= 0 && column < 2 ? COLUMNS[column] : "";
}

int CSessionUserView::ColumnWidth(int column) const {
    return column >= 0 && column < 2 ? COLUMN_WIDTHS[column] : LIST_PAGE_COLUMN_WIDTH;
}

void CSessionUserView::RowTexts(const SessionUserRow& row, std::string* texts) const {
    texts[0] = BoundedText(row.SESSION_USER, sizeof(row.SESSION_USER));
    texts[1] = std::to_string(row.SESSION_USERCOUNT);
}

void CSessionUserView::DoDataExchange(DataExchange& dx) {
    DdxCheck(dx, IDC_SESSION_DEFAULT, DefaultValue());
    DdxCheck(dx, IDC_SUSER_ENABLE, EnableValue());
    DdxCheck(dx, IDC_SUSER_RESET, OptionValue(OPTION_RESET));
    DdxCheck(dx, IDC_SUSER_IGNORE, OptionValue(OPTION_IGNORE));
    DdxCheck(dx, IDC_SUSER_IGNORE_ADMIN, OptionValue(OPTION_IGNORE_ADMIN));
    if (!dx.save || CountFieldLive())
        DdxInt(dx, IDC_SUSER_COUNT, count_);
}

void CSessionUserView::OnDefaultCountChange() {
    HWND field = Item(IDC_SUSER_COUNT);
    std::string text(static_cast<size_t>(GetWindowTextLengthA(field)) + 1, '\0');
    GetWindowTextA(field, &text[0], static_cast<int>(text.size()));
    FilterConfig.SESSIONPERUSER_COUNT = LeadingDecimal(text.c_str());
    MarkConfigModified();
}

void CSessionUserView::AddEntry(const char* name, int32_t count) {
    SessionUserRow* row = new SessionUserRow();
    CopyToField(row->SESSION_USER, name);
    row->SESSION_USERCOUNT = count;
    AppendEntry(row);
}

void CSessionUserView::RunAddDialog() {
    SessionUserDialog dialog(*this);
    dialog.DoModal(hwnd());
}

void CSessionUserView::RunEditDialog(SessionUserRow& row) {
    SessionUserDialog dialog(row);
    dialog.DoModal(hwnd());
}

SessionUserDialog::SessionUserDialog(CSessionUserView& page)
    : ModalDialog(IDD_ADD_SESSION_USER), page_(&page) {}

SessionUserDialog::SessionUserDialog(SessionUserRow& row)
    : ModalDialog(IDD_EDIT_SESSION_USER), row_(&row), count_(row.SESSION_USERCOUNT) {
    CopyToField(name_, BoundedText(row.SESSION_USER, sizeof(row.SESSION_USER)).c_str());
}

void SessionUserDialog::DoDataExchange(DataExchange& dx) {
    DdxInt(dx, IDC_SIP_COUNT, count_);
    DdxText(dx, IDC_SUSER_NAME, name_, sizeof(name_));
}

bool SessionUserDialog::OnInitDialog() {
    SendDlgItemMessageA(hwnd(), IDC_SUSER_NAME, EM_LIMITTEXT, SESSION_USER_NAME_MAX, 0);
    UpdateData(false);
    BindCountArrows(GetDlgItem(hwnd(), IDC_SIP_ARROWS), GetDlgItem(hwnd(), IDC_SIP_COUNT));
    return true;
}

void SessionUserDialog::OnOK() {
    if (!UpdateData(true))
        return; // not an integer: its message was shown, the dialog stays open
    if (row_ != nullptr) {
        CopyToField(row_->SESSION_USER, name_);
        row_->SESSION_USERCOUNT = count_;
    } else if (name_[0] != '\0' && page_ != nullptr) {
        page_->AddEntry(name_, count_);
    }
    EndDialog(IDOK);
}
