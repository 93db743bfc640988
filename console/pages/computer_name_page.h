// The computer name filter page (Ccomputernamefliter) and its add and edit dialogs:
// the computerNames list of FilterConfig with FLAG_COMPUTERNAME and
// FLAG_COMPUTERNAME_ALLOW. Names are stored as typed; '*' is the engine's wildcard.
#pragma once

#include "console/pages/mode_dialog.h"
#include "console/pages/mode_list_page.h"

class ComputerNameDialog;

class Ccomputernamefliter
    : public ModeListPage<Ccomputernamefliter, ComputerNameRow, ComputerNameDialog> {
public:
    Ccomputernamefliter();
    PageKind Kind() const override { return PageKind::ComputerName; }

    // The page's add operation: a new row `name` with `mode` (0 or 1) at the end.
    void AddEntry(const char* name, int32_t mode);

protected:
    void RowTexts(const ComputerNameRow& row, std::string* texts) const override;
};

// The add (template 136) and edit (template 153) dialogs of a computer name. OK with an
// empty name adds or changes nothing (the mode chosen is dropped too) and closes.
class ComputerNameDialog : public ModeDialog {
public:
    ComputerNameDialog(Ccomputernamefliter& page, int32_t defaultAllow);
    explicit ComputerNameDialog(ComputerNameRow& row);

protected:
    void DoDataExchange(DataExchange& dx) override;
    bool OnInitDialog() override;
    void OnOK() override;

private:
    Ccomputernamefliter* page_ = nullptr;
    ComputerNameRow* row_ = nullptr;
    char name_[sizeof(ComputerNameRow::CNAME)] = {};
};
