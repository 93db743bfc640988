// The sessions per user page (CSessionUserView) and its add and edit dialogs: the
// sessionUsers list of FilterConfig, with FLAG_SERVEROPTION_SESSIONPERUSER, the
// default switch FLAG_SESSION_PER_USER_DEFAULT and its count SESSIONPERUSER_COUNT,
// and the options FLAG_USER_REMOVE_DISCONNECTED, FLAG_USER_IGNORE_DISCONNECTED and
// FLAG_USER_IGNORE_ADMINISTRATOR. The page has no context menu.
#pragma once

#include "console/pages/list_page.h"
#include "console/widgets/framework_dialog.h"

class CSessionUserView : public ListPage<SessionUserRow> {
public:
    CSessionUserView();
    PageKind Kind() const override { return PageKind::SessionPerUser; }

    // The page's add: a new row `name` / `count` at the end.
    void AddEntry(const char* name, int32_t count);

protected:
    int ColumnCount() const override { return 2; }
    const char* ColumnTitle(int column) const override;
    int ColumnWidth(int column) const override;
    void RowTexts(const SessionUserRow& row, std::string* texts) const override;
    void RunAddDialog() override;
    void RunEditDialog(SessionUserRow& row) override;
    // Reading order: default switch, filter switch, the three options, default count
    // (an integer).
    void DoDataExchange(DataExchange& dx) override;
    // Stores the field's text read as a decimal number, without a message.
    void OnDefaultCountChange() override;

private:
    int32_t count_;
};

// Longest user name the dialogs take: SESSION_USER holds it with its terminator.
enum : int { SESSION_USER_NAME_MAX = 255 };

// The value of a text's leading decimal number (blanks and a sign may precede it), 0
// when it has none; limited to the 32-bit range.
int32_t LeadingDecimal(const char* text);

// The add (template 164) and edit (template 165) dialogs of a user name and its count.
class SessionUserDialog : public ModalDialog {
public:
    // Add: an empty name, count 1; OK hands a non-empty name to the page.
    explicit SessionUserDialog(CSessionUserView& page);
    // Edit: shows the row; OK writes the name (also an empty one) and the count.
    explicit SessionUserDialog(SessionUserRow& row);

protected:
    void DoDataExchange(DataExchange& dx) override;
    bool OnInitDialog() override;
    void OnOK() override;

private:
    CSessionUserView* page_ = nullptr;
    SessionUserRow* row_ = nullptr;
    int32_t count_ = SESSION_COUNT_MIN;
    char name_[SESSION_USER_NAME_MAX + 1] = {};
};
