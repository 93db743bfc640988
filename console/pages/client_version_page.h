// The client version filter page (CVerVIEW): FLAG_VERSION and the five build-number
// rules VERALLOW, VERDISALLOW, VERHIGHER, VERLOWER and VERBETWEEN. The rules are set
// from the builds selected in the built-in list by their buttons, or typed into their
// edits, which store what is typed at once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/config_model.h"
#include "console/pages/page_view.h"

// The built-in build numbers, in list order.
extern const char* const CLIENT_BUILDS[];
// The one message of the page.
extern const char MSG_SELECT_TWO_VERSIONS[]; // "You must select exactly 2 version number"

// The class name is the one the resources and the help are keyed to: keep it.
class CVerVIEW : public PageView {
public:
    CVerVIEW();
    void OnInitialUpdate() override;

    // The rules, in the order of their edits on the page.
    enum Rule { ALLOW, DISALLOW, HIGHER, LOWER, RANGE, RULE_COUNT };

protected:
    void DoDataExchange(DataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void EnableControls();
    void OnFilterSwitch();
    // Sets a rule from the buttons: member, all controls, the setting, modified.
    void SetRule(Rule rule, const std::string& text);
    void OnRange();
    void OnTyped(Rule rule);
    std::vector<std::string> SelectedBuilds() const;

    int32_t enable_;
    char rules_[RULE_COUNT][sizeof(FilterConfigRecord::VERALLOW)];
};
