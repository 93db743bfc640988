#include "console/pages/page_factory.h"

#include "console/pages/placeholder_page.h"
#include "console/pages/tollbrook_view.h"

std::unique_ptr<PageView> MakePage(PageKind kind) {
    switch (kind) {
    case PageKind::IpAddress:
        return std::make_unique<CTollbrookView>();
    default:
        return std::make_unique<PlaceholderPage>(kind);
    }
}
