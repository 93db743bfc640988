// The sessions per IP address page (CSessionPerIPView) and its add and edit dialogs:
// the sessionIps list of FilterConfig, with FLAG_SERVEROPTION, the default switch
// FLAG_SERVEROPTION_CHECK_TYPE and its count SESSION_PER_IP (1 to 9), and the options
// REMOVE_DISCONNECTED and IGNORE_DISCONNECTED.
#pragma once

#include "console/pages/list_page.h"
#include "console/widgets/framework_dialog.h"

class CSessionPerIPView : public ListPage<SessionIpRow> {
public:
    CSessionPerIPView();
    PageKind Kind() const override { return PageKind::SessionPerIp; }

    // The page's add: a new row `address` / `count` at the end.
    void AddEntry(const char* address, int32_t count);

protected:
    int ColumnCount() const override { return 2; }
    const char* ColumnTitle(int column) const override;
    int ColumnWidth(int column) const override;
    void RowTexts(const SessionIpRow& row, std::string* texts) const override;
    void RunAddDialog() override;
    void RunEditDialog(SessionIpRow& row) override;
    // Reading order: filter switch, default count (1 to 9), reset option,
    // ignore-disconnected option, default switch.
    void DoDataExchange(DataExchange& dx) override;
    void OnDefaultCountChange() override;

private:
    int32_t count_;
};

// The add (template 160) and edit (template 161) dialogs of an address and its count.
class SessionIpDialog : public ModalDialog {
public:
    // Add: a blank address, count 1; OK hands an address to the page.
    explicit SessionIpDialog(CSessionPerIPView& page);
    // Edit: shows the row; OK writes the address (as the control reads it) and count.
    explicit SessionIpDialog(SessionIpRow& row);

protected:
    void DoDataExchange(DataExchange& dx) override;
    bool OnInitDialog() override;
    void OnOK() override;

private:
    CSessionPerIPView* page_ = nullptr;
    SessionIpRow* row_ = nullptr;
    int32_t count_ = SESSION_COUNT_MIN;
};
