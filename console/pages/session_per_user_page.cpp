#include "console/pages/session_per_user_page.h"

#include "console/pages/count_page.h"

namespace {
const ListColumn COLUMNS[] = {
    {"User Name ", LIST_PAGE_COLUMN_WIDTH, TextCell<&SessionUserRow::SESSION_USER>},
    CountColumn<&SessionUserRow::SESSION_USERCOUNT>(160),
};

const ListPageOption OPTIONS[] = {
    {IDC_SUSER_RESET,
     &FilterConfigRecord::FLAG_USER_REMOVE_DISCONNECTED,
     {"Reset disconnected sessions for the user logging in",
      "If there are disconnected sessions on the server from the same user name , \nQuillon "
      "will close these sessions in order to guarantee the user has only active sessions \non "
      "the Terminal Server.",
      {false, 15, 20}}},
    IgnoreDisconnectedOption(IDC_SUSER_IGNORE, &FilterConfigRecord::FLAG_USER_IGNORE_DISCONNECTED,
                             15),
    {IDC_SUSER_IGNORE_ADMIN,
     &FilterConfigRecord::FLAG_USER_IGNORE_ADMINISTRATOR,
     {"Ignore administrator's sessions when calculating session",
      "If this box is checked, Quillon will not count sessions opened on the terminal server by "
      "the administrator user.",
      {false, 15, 20}}},
};

const int READ_ORDER[] = {IDC_SESSION_DEFAULT, IDC_SUSER_ENABLE, READ_OPTIONS, IDC_SUSER_COUNT};

const ListPageTable SESSION_USER_PAGE = CountPageTable(
    {IDD_SESSION_USER_PAGE, IDD_ADD_SESSION_USER, IDD_EDIT_SESSION_USER, IDC_SUSER_ENABLE,
     IDC_SUSER_ADD, IDC_SUSER_REMOVE, IDC_SUSER_EDIT, IDC_SUSER_LIST, 0 /* no context menu */,
     IDC_SUSER_COUNT, IDC_SUSER_ARROWS},
    &FilterConfigRecord::FLAG_SERVEROPTION_SESSIONPERUSER,
    {&FilterConfigRecord::FLAG_SESSION_PER_USER_DEFAULT,
     "If checked, all users are only allowed the default determined number\nof sessions on "
     "your Terminal Server based on the user name.\nIf unchecked, all user not be count "
     "sessions, except those in\nthe list that are enabled.",
     &FilterConfigRecord::SESSIONPERUSER_COUNT, CountRule::LeadingDecimal},
    COLUMNS, OPTIONS, READ_ORDER);

// The add (template 164) and edit (template 165) dialogs of a user name and its count
// (an integer). Add: an empty name, count 1; OK with a name adds it. Edit: shows the
// row; OK writes the name (also an empty one) and the count.
class SessionUserDialog : public CountEntryDialog<&SessionUserRow::SESSION_USERCOUNT> {
public:
    SessionUserDialog(SessionUserRow& row, const ListEntry& entry) : CountEntryDialog(row, entry) {
        CopyToField(name_, row.SESSION_USER); // a new row's is empty
    }

protected:
    void DoDataExchange(DataExchange& dx) override {
        ExchangeCount(dx);
        DdxText(dx, IDC_SUSER_NAME, name_, sizeof(name_));
    }

    bool OnInitDialog() override {
        SendDlgItemMessageA(hwnd(), IDC_SUSER_NAME, EM_LIMITTEXT, SESSION_USER_NAME_MAX, 0);
        ShowFields();
        return true;
    }

    void OnOK() override {
        if (!UpdateData(true))
            return; // not an integer: its message was shown, the dialog stays open
        CopyToField(row_.SESSION_USER, name_);
        StoreCount();
        Close(!adding_ || name_[0] != '\0');
    }

private:
    char name_[SESSION_USER_NAME_MAX + 1] = {};
};
} // namespace

CSessionUserView::CSessionUserView()
    : ListPage(PageKind::SessionPerUser, SESSION_USER_PAGE, &FilterConfigRecord::sessionUsers,
               RunEntryDialog<SessionUserDialog>) {}
