// Stands in the right pane for a page this build does not carry yet: it says so and
// touches nothing in FilterConfig. It has the kind of the page it stands for, so the
// frame's switching treats it like that page.
#pragma once

#include "console/pages/page_view.h"

class PlaceholderPage : public PageView {
public:
    explicit PlaceholderPage(PageKind kind);
    PageKind Kind() const override { return kind_; }
    void OnInitialUpdate() override;

private:
    PageKind kind_;
};
