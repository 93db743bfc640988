// The popup messages page (CMsgPopupView, template 149): the caption and message that
// each of the seven filters shows a refused client, chosen in a list whose order is
// not FilterConfig's (the client version filter is third here).
#pragma once

#include "config/config_model.h"
#include "console/pages/page_view.h"

// A caption or message as FilterConfig holds it.
using PopupText = decltype(FilterConfigRecord::MSG_IPADDRESS);

// The class name is the one the resources and the help are keyed to: keep it.
class CMsgPopupView : public PageView {
public:
    CMsgPopupView();
    void OnInitialUpdate() override;

protected:
    void DoDataExchange(DataExchange& dx) override;
    void OnCreate() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void OnFilterChosen();
    void OnTextTyped();

    PopupText message_ = {};
    PopupText caption_ = {};
    char choice_[64] = {};
};
