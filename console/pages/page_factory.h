// Makes a new page object of a kind (the window is created by the caller).
#pragma once

#include <memory>

#include "console/pages/page_view.h"

std::unique_ptr<PageView> MakePage(PageKind kind);
