#include "console/pages/time_page.h"

#include "console/pages/help_tip.h"
#include "console/res/resource.h"
#include "console/widgets/masked_edit.h"

const char TIME_MASK[] = "00:00:00";
const char TIME_PROMPT[] = "__:__:__";

namespace {
struct DayControl {
    int check;
    int32_t FilterConfigRecord::*setting;
};

// Monday to Sunday; the check boxes' ids do not follow the days.
const DayControl DAYS[DAYS_PER_WEEK] = {
    {IDC_TIME_MONDAY, &FilterConfigRecord::WEEK_W1},
    {IDC_TIME_TUESDAY, &FilterConfigRecord::WEEK_W2},
    {IDC_TIME_WEDNESDAY, &FilterConfigRecord::WEEK_W3},
    {IDC_TIME_THURSDAY, &FilterConfigRecord::WEEK_W4},
    {IDC_TIME_FRIDAY, &FilterConfigRecord::WEEK_W5},
    {IDC_TIME_SATURDAY, &FilterConfigRecord::WEEK_W6},
    {IDC_TIME_SUNDAY, &FilterConfigRecord::WEEK_W7},
};

const HelpTip TIME_TIP = {
    "Enable Time Restrictions Filter",
    "Enable/Disable this filter.\n\nOn this filter you can select the days of the week and the "
    "timeframe during these days \nwhen this filter should be active.\n  \n  ",
    {true, 5, 25},
};
} // namespace

CTimeView::CTimeView() : PageView(IDD_TIME_PAGE, PageKind::Time), enable_(FilterConfig.FLAG_TIME) {
    for (int day = 0; day < DAYS_PER_WEEK; ++day)
        days_[day] = FilterConfig.*(DAYS[day].setting);
    CopyToField(from_, FilterConfig.TIME_FROM);
    CopyToField(to_, FilterConfig.TIME_TO);
}

void CTimeView::DoDataExchange(DataExchange& dx) {
    for (int day = 0; day < DAYS_PER_WEEK; ++day)
        DdxCheck(dx, DAYS[day].check, days_[day]);
    DdxCheck(dx, IDC_TIME_ENABLE, enable_);
    DdxText(dx, IDC_TIME_FROM, from_, sizeof(from_));
    DdxText(dx, IDC_TIME_TO, to_, sizeof(to_));
}

void CTimeView::OnInitialUpdate() {
    HWND from = GetDlgItem(hwnd(), IDC_TIME_FROM);
    HWND to = GetDlgItem(hwnd(), IDC_TIME_TO);
    // Bound first, so that writing the members reports no change to the page.
    BindMaskedEdit(from);
    BindMaskedEdit(to);
    UpdateData(false);
    SetMaskedEditFormat(from, TIME_MASK, TIME_PROMPT, from_);
    SetMaskedEditFormat(to, TIME_MASK, TIME_PROMPT, to_);
    bool between = FilterConfig.TIME_BETWEEN != 0;
    CheckDlgButton(hwnd(), IDC_TIME_ALL_DAY, between ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(hwnd(), IDC_TIME_BETWEEN, between ? BST_CHECKED : BST_UNCHECKED);
    EnableControls();
    ShowAuditSwitch();
}

bool CTimeView::BetweenChecked() const {
    return IsDlgButtonChecked(hwnd(), IDC_TIME_BETWEEN) == BST_CHECKED;
}

void CTimeView::EnableControls() {
    BOOL on = enable_ != 0 ? TRUE : FALSE;
    for (const DayControl& day : DAYS)
        EnableWindow(GetDlgItem(hwnd(), day.check), on);
    EnableWindow(GetDlgItem(hwnd(), IDC_TIME_ALL_DAY), on);
    EnableWindow(GetDlgItem(hwnd(), IDC_TIME_BETWEEN), on);
    BOOL times = on && BetweenChecked() ? TRUE : FALSE;
    EnableWindow(GetDlgItem(hwnd(), IDC_TIME_FROM), times);
    EnableWindow(GetDlgItem(hwnd(), IDC_TIME_TO), times);
}

bool CTimeView::OnCommand(UINT id, UINT code, HWND control) {
    if (control == nullptr)
        return false;
    if (OnAuditSwitch(id, code))
        return true;
    if (code == EN_CHANGE && (id == IDC_TIME_FROM || id == IDC_TIME_TO)) {
        OnTimeChanged(static_cast<int>(id));
        return true;
    }
    if (code != BN_CLICKED)
        return false;
    if (id == IDC_TIME_ENABLE) {
        OnFilterSwitch();
        return true;
    }
    if (id == IDC_TIME_ALL_DAY || id == IDC_TIME_BETWEEN) {
        OnChoice(id == IDC_TIME_BETWEEN);
        return true;
    }
    for (int day = 0; day < DAYS_PER_WEEK; ++day) {
        if (static_cast<int>(id) == DAYS[day].check) {
            OnDay(day);
            return true;
        }
    }
    return false;
}

void CTimeView::OnFilterSwitch() {
    UpdateData(true);
    EnableControls();
    StoreFilterSwitch(FilterConfig.FLAG_TIME, enable_, IDC_TIME_ENABLE, TIME_TIP);
}

void CTimeView::OnDay(int day) {
    UpdateData(true);
    FilterConfig.*(DAYS[day].setting) = days_[day];
    MarkConfigModified();
}

void CTimeView::OnChoice(bool between) {
    // Each radio button is a group of its own: the page keeps exactly one checked.
    CheckDlgButton(hwnd(), IDC_TIME_ALL_DAY, between ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(hwnd(), IDC_TIME_BETWEEN, between ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(hwnd(), IDC_TIME_FROM), between ? TRUE : FALSE);
    EnableWindow(GetDlgItem(hwnd(), IDC_TIME_TO), between ? TRUE : FALSE);
    FilterConfig.TIME_BETWEEN = between ? 1 : 0;
    MarkConfigModified();
}

void CTimeView::OnTimeChanged(int field) {
    UpdateData(true);
    if (field == IDC_TIME_FROM)
        CopyToField(FilterConfig.TIME_FROM, from_);
    else
        CopyToField(FilterConfig.TIME_TO, to_);
    MarkConfigModified();
}
