#include "console/pages/page_view.h"

#include "config/audit_only_setting.h"
#include "config/config_model.h"
#include "console/res/resource.h"
#include "engine/decision_core.h"

namespace {

const HelpTip AUDIT_TIP = {
    "Audit only",
    "If checked, this filter refuses no one: a client it would \nrefuse is let in, and the "
    "logon log (\"Audited\") and the \nevent log record that it would have been refused. "
    "\nClear it to enforce the filter once the evidence is read.",
    {false, 5, 25}};

// The filter a page edits; FILTER_COUNT for a page of no filter.
FilterId FilterOfPage(PageKind kind) {
    switch (kind) {
    case PageKind::IpAddress:
        return FILTER_IPADDRESS;
    case PageKind::ComputerName:
        return FILTER_COMPUTERNAME;
    case PageKind::MacAddress:
        return FILTER_MACADDRESS;
    case PageKind::ClientVersion:
        return FILTER_VERSION;
    case PageKind::Time:
        return FILTER_TIME;
    case PageKind::SessionPerIp:
        return FILTER_SESSIONCOUNT_IP;
    case PageKind::SessionPerUser:
        return FILTER_SESSIONCOUNT_USER;
    default:
        return FILTER_COUNT;
    }
}

} // namespace

void PageView::SetShown(bool shown) {
    if (shown == shown_)
        return;
    shown_ = shown;
    if (shown)
        OnShown();
    else
        OnHidden();
}

void PageView::StoreFilterSwitch(int32_t& flag, int32_t on, int check, const HelpTip& tip) {
    flag = on;
    MarkConfigModified();
    ShowHelpTip(hwnd(), check, tip);
}

void PageView::ShowAuditSwitch() {
    const uint32_t bit = FilterAuditBit(FilterOfPage(kind_));
    if (bit != 0 && GetDlgItem(hwnd(), IDC_AUDIT_ONLY) != nullptr)
        CheckDlgButton(hwnd(), IDC_AUDIT_ONLY,
                       (AuditOnlySettingValue & bit) != 0 ? BST_CHECKED : BST_UNCHECKED);
}

bool PageView::OnAuditSwitch(UINT id, UINT code) {
    const uint32_t bit = FilterAuditBit(FilterOfPage(kind_));
    if (id != IDC_AUDIT_ONLY || code != BN_CLICKED || bit == 0)
        return false;
    // Only this filter's bit changes: the others, and bits that name no filter, stay.
    if (IsDlgButtonChecked(hwnd(), IDC_AUDIT_ONLY) == BST_CHECKED)
        AuditOnlySettingValue |= bit;
    else
        AuditOnlySettingValue &= ~bit;
    MarkConfigModified();
    ShowHelpTip(hwnd(), IDC_AUDIT_ONLY, AUDIT_TIP);
    return true;
}
