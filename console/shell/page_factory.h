// Makes a new page object of a kind (the window is created by the caller); null for
// a value that names no kind.
#pragma once

#include <memory>

#include "console/pages/page_view.h"

std::unique_ptr<PageView> MakePage(PageKind kind);
