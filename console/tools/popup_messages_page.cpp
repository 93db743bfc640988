#include "console/tools/popup_messages_page.h"

#include <iterator>

#include "console/res/resource.h"

namespace {
struct PopupTexts {
    const char* itemText;
    PopupText FilterConfigRecord::*caption;
    PopupText FilterConfigRecord::*message;
};

// The chooser's items in list order.
const PopupTexts POPUP_FILTERS[] = {
    {"IP Address filter is enabled", &FilterConfigRecord::TITLE_IPADDRESS,
     &FilterConfigRecord::MSG_IPADDRESS},
    {"Computer Name filter is enabled", &FilterConfigRecord::TITLE_COMPUTERNAME,
     &FilterConfigRecord::MSG_COMPUTERNAME},
    {"Client Version filter is enabled", &FilterConfigRecord::TITLE_VERSION,
     &FilterConfigRecord::MSG_VERSION},
    {"MAC address filter is enabled", &FilterConfigRecord::TITLE_MACADDRESS,
     &FilterConfigRecord::MSG_MACADDRESS},
    {"Logon Time filter is enabled", &FilterConfigRecord::TITLE_TIME,
     &FilterConfigRecord::MSG_TIME},
    {"Session per IP Counter filter is enabled", &FilterConfigRecord::TITLE_SESSIONPERIP,
     &FilterConfigRecord::MSG_SESSIONPERIP},
    {"Session per User Counter filter is enabled", &FilterConfigRecord::TITLE_SESSIONPERUSER,
     &FilterConfigRecord::MSG_SESSIONPERUSER},
};

const int POPUP_FILTER_COUNT = static_cast<int>(std::size(POPUP_FILTERS));
const int TEXT_LIMIT = sizeof(PopupText) - 1; // what a caption or message field holds
} // namespace

CMsgPopupView::CMsgPopupView() : PageView(IDD_MSGPOPUP_PAGE, PageKind::PopupMessages) {
    CopyToField(message_, FilterConfig.MSG_IPADDRESS);
    CopyToField(caption_, FilterConfig.TITLE_IPADDRESS);
}

void CMsgPopupView::OnCreate() {
    HWND chooser = GetDlgItem(hwnd(), IDC_POPUP_FILTER);
    for (const PopupTexts& filter : POPUP_FILTERS)
        SendMessageA(chooser, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(filter.itemText));
    SendDlgItemMessageA(hwnd(), IDC_POPUP_TITLE, EM_LIMITTEXT, TEXT_LIMIT, 0);
    SendDlgItemMessageA(hwnd(), IDC_POPUP_MESSAGE, EM_LIMITTEXT, TEXT_LIMIT, 0);
}

void CMsgPopupView::DoDataExchange(DataExchange& dx) {
    DdxText(dx, IDC_POPUP_MESSAGE, message_, sizeof(message_));
    DdxText(dx, IDC_POPUP_TITLE, caption_, sizeof(caption_));
    // A drop-down list reads as its selected item's text; writing it changes nothing.
    DdxText(dx, IDC_POPUP_FILTER, choice_, sizeof(choice_));
}

void CMsgPopupView::OnInitialUpdate() {
    ShowMembers();
    SendDlgItemMessageA(hwnd(), IDC_POPUP_FILTER, CB_SETCURSEL, 0, 0);
}

bool CMsgPopupView::OnCommand(UINT id, UINT code, HWND control) {
    if (control == nullptr)
        return false;
    if (id == IDC_POPUP_FILTER && code == CBN_SELCHANGE) {
        OnFilterChosen();
        return true;
    }
    if ((id == IDC_POPUP_TITLE || id == IDC_POPUP_MESSAGE) && code == EN_CHANGE) {
        if (!ShowingMembers())
            OnTextTyped();
        return true;
    }
    return false;
}

void CMsgPopupView::OnFilterChosen() {
    HWND chooser = GetDlgItem(hwnd(), IDC_POPUP_FILTER);
    LRESULT index = SendMessageA(chooser, CB_GETCURSEL, 0, 0);
    if (index >= 0 && index < POPUP_FILTER_COUNT) {
        const PopupTexts& filter = POPUP_FILTERS[index];
        CopyToField(caption_, FilterConfig.*filter.caption);
        CopyToField(message_, FilterConfig.*filter.message);
        CopyToField(choice_, filter.itemText);
    }
    ShowMembers();
}

void CMsgPopupView::OnTextTyped() {
    UpdateData(true);
    LRESULT index = SendDlgItemMessageA(hwnd(), IDC_POPUP_FILTER, CB_GETCURSEL, 0, 0);
    if (index >= 0 && index < POPUP_FILTER_COUNT) {
        // Both fields, whichever edit changed.
        const PopupTexts& filter = POPUP_FILTERS[index];
        CopyToField(FilterConfig.*filter.caption, caption_);
        CopyToField(FilterConfig.*filter.message, message_);
    }
    MarkConfigModified();
}
