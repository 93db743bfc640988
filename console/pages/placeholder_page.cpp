#include "console/pages/placeholder_page.h"

#include "console/res/resource.h"
#include "console/widgets/framework_app.h"

PlaceholderPage::PlaceholderPage(PageKind kind) : PageView(IDD_PLACEHOLDER_PAGE), kind_(kind) {}

void PlaceholderPage::OnInitialUpdate() {
    char text[128] = {};
    LoadStringA(ResourceInstance(), IDS_PAGE_NOT_AVAILABLE, text, sizeof(text));
    SetDlgItemTextA(hwnd(), IDC_PLACEHOLDER_TEXT, text);
}
