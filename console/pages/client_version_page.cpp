#include "console/pages/client_version_page.h"

#include "console/pages/help_tip.h"
#include "console/res/resource.h"
#include "console/widgets/widget_common.h"
#include "platform/message_box.h"

const char* const CLIENT_BUILDS[] = {"0419", "1877", "2031", "2072", "2087",
                                     "2099", "2128", "9109", "9165", "9213"};
const char MSG_SELECT_TWO_VERSIONS[] = "You must select exactly 2 version number";

namespace {
using RuleSetting = char (FilterConfigRecord::*)[sizeof(FilterConfigRecord::VERALLOW)];

struct RuleControls {
    int edit;
    int button;
    RuleSetting setting;
};

// Indexed by CVerVIEW::Rule.
const RuleControls RULES[CVerVIEW::RULE_COUNT] = {
    {IDC_VER_ALLOW, IDC_VER_ALLOW_BUTTON, &FilterConfigRecord::VERALLOW},
    {IDC_VER_DISALLOW, IDC_VER_DISALLOW_BUTTON, &FilterConfigRecord::VERDISALLOW},
    {IDC_VER_HIGHER, IDC_VER_HIGHER_BUTTON, &FilterConfigRecord::VERHIGHER},
    {IDC_VER_LOWER, IDC_VER_LOWER_BUTTON, &FilterConfigRecord::VERLOWER},
    {IDC_VER_RANGE, IDC_VER_RANGE_BUTTON, &FilterConfigRecord::VERBETWEEN},
};

const HelpTip VERSION_TIP = {
    "Enable Client Version Filter",
    "Check/uncheck this box to enable/disable this filter.\n \n Select the version number from "
    "the list and click in the \nappropriate button. If your version number is not listed, \nyou "
    "can manually type it in the appropriate text field.",
    {true, 5, 25},
};

// Width of a column of the list box, in pixels: a build number and some room.
const int LIST_COLUMN_WIDTH = 48;
} // namespace

CVerVIEW::CVerVIEW()
    : PageView(IDD_VERSION_PAGE, PageKind::ClientVersion), enable_(FilterConfig.FLAG_VERSION) {
    for (int rule = 0; rule < RULE_COUNT; ++rule)
        CopyToField(rules_[rule], FilterConfig.*(RULES[rule].setting));
}

void CVerVIEW::DoDataExchange(DataExchange& dx) {
    DdxCheck(dx, IDC_VER_ENABLE, enable_);
    for (int rule = 0; rule < RULE_COUNT; ++rule)
        DdxText(dx, RULES[rule].edit, rules_[rule], sizeof(rules_[rule]));
}

void CVerVIEW::OnInitialUpdate() {
    // No longer text can be typed or pasted than the settings hold.
    for (const RuleControls& rule : RULES)
        SendDlgItemMessageA(hwnd(), rule.edit, EM_LIMITTEXT, sizeof(rules_[0]) - 1, 0);
    ShowMembers();
    EnableControls();
    HWND list = GetDlgItem(hwnd(), IDC_VER_LIST);
    SendMessageA(list, LB_SETCOLUMNWIDTH, static_cast<WPARAM>(ScaleForDpi(LIST_COLUMN_WIDTH)), 0);
    for (const char* build : CLIENT_BUILDS)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(build));
    ShowAuditSwitch();
}

void CVerVIEW::EnableControls() {
    BOOL on = enable_ != 0 ? TRUE : FALSE;
    EnableWindow(GetDlgItem(hwnd(), IDC_VER_LIST), on);
    for (const RuleControls& rule : RULES) {
        EnableWindow(GetDlgItem(hwnd(), rule.edit), on);
        EnableWindow(GetDlgItem(hwnd(), rule.button), on);
    }
}

bool CVerVIEW::OnCommand(UINT id, UINT code, HWND control) {
    if (control == nullptr)
        return false;
    if (OnAuditSwitch(id, code))
        return true;
    for (int rule = 0; rule < RULE_COUNT; ++rule) {
        if (static_cast<int>(id) == RULES[rule].edit && code == EN_CHANGE) {
            OnTyped(static_cast<Rule>(rule));
            return true;
        }
    }
    if (code != BN_CLICKED)
        return false;
    switch (id) {
    case IDC_VER_ENABLE:
        OnFilterSwitch();
        return true;
    case IDC_VER_ALLOW_BUTTON:
    case IDC_VER_DISALLOW_BUTTON: {
        // "a,b,c": the selected builds in list order; empty when none is selected.
        std::string text;
        for (const std::string& build : SelectedBuilds())
            text += build + ",";
        if (!text.empty())
            text.pop_back();
        SetRule(id == IDC_VER_ALLOW_BUTTON ? ALLOW : DISALLOW, text);
        return true;
    }
    case IDC_VER_HIGHER_BUTTON:
    case IDC_VER_LOWER_BUTTON: {
        std::vector<std::string> selected = SelectedBuilds();
        SetRule(id == IDC_VER_HIGHER_BUTTON ? HIGHER : LOWER,
                selected.empty() ? std::string() : selected.front());
        return true;
    }
    case IDC_VER_RANGE_BUTTON:
        OnRange();
        return true;
    default:
        return false;
    }
}

void CVerVIEW::OnFilterSwitch() {
    UpdateData(true);
    EnableControls();
    StoreFilterSwitch(FilterConfig.FLAG_VERSION, enable_, IDC_VER_ENABLE, VERSION_TIP);
}

void CVerVIEW::SetRule(Rule rule, const std::string& text) {
    CopyToField(rules_[rule], text.c_str());
    ShowMembers();
    CopyToField(FilterConfig.*(RULES[rule].setting), rules_[rule]);
    MarkConfigModified();
}

void CVerVIEW::OnRange() {
    std::vector<std::string> selected = SelectedBuilds();
    if (selected.size() != 2) {
        ShowMessageBox(MSG_SELECT_TWO_VERSIONS, nullptr, BOX_OK);
        return;
    }
    // The list is sorted, so the first is the lower bound.
    SetRule(RANGE, "(" + selected[0] + ":" + selected[1] + ")");
}

void CVerVIEW::OnTyped(Rule rule) {
    if (ShowingMembers())
        return; // the page wrote it
    UpdateData(true);
    CopyToField(FilterConfig.*(RULES[rule].setting), rules_[rule]);
    MarkConfigModified();
}

std::vector<std::string> CVerVIEW::SelectedBuilds() const {
    std::vector<std::string> builds;
    HWND list = GetDlgItem(hwnd(), IDC_VER_LIST);
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (SendMessageA(list, LB_GETSEL, static_cast<WPARAM>(i), 0) <= 0)
            continue;
        LRESULT length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0)
            continue;
        std::string text(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<size_t>(length));
        builds.push_back(text);
    }
    return builds;
}
