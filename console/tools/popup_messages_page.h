// The popup messages page (CMsgPopupView, template 149): the caption and message that
// each of the seven filters shows a refused client, chosen in a list whose order is
// not FilterConfig's (the client version filter is third here).
#pragma once

#include "config/config_model.h"
#include "console/pages/page_view.h"

class CMsgPopupView : public PageView {
public:
    CMsgPopupView();
    PageKind Kind() const override { return PageKind::PopupMessages; }
    void OnInitialUpdate() override;

protected:
    void DoDataExchange(DataExchange& dx) override;
    void OnCreate() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    void OnFilterChosen();
    void OnTextTyped();

    char message_[1024] = {};
    char caption_[1024] = {};
    char choice_[64] = {};
};
