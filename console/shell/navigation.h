// The navigation bar's content and the choice of the page an item shows.
#pragma once

#include <windows.h>

#include "console/pages/page_view.h"

struct NavigationItem {
    int group;
    int index; // within its group
    const char* text;
    int image;
};

extern const char* const NAVIGATION_GROUPS[3];
extern const NavigationItem NAVIGATION_ITEMS[10];
// Icon resources of images 0 to 10, the same in both image lists.
extern const UINT NAVIGATION_ICONS[11];

// The page of a clicked item, from its index within its group and its text (compared
// exactly). False when the item shows no page.
bool ChoosePageForItem(int index, const char* text, PageKind* kind);

// The help page about the page of `kind` (a file name in the compiled help), or null.
const char* HelpTopicOf(PageKind kind);
