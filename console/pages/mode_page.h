// What the three mode pages (addresses, computer names, MAC addresses) share: the
// default switch "By default allow logon" (IDC_DEFAULT_ALLOW) with its tip below it,
// the context menu's add, remove and edit commands, and the "Mode" column last. A mode
// page names only its templates and controls, its two switches, its tip and its first
// columns.
#pragma once

#include "console/pages/list_page.h"
#include "console/res/resource.h"

struct ModePageControls {
    UINT templateId;
    UINT addDialog;
    UINT editDialog;
    int enableCheck;
    int addButton;
    int removeButton;
    int editButton;
    int listView;
    UINT contextMenu;
};

inline ListPageTable ModePageTable(const ModePageControls& c, ConfigFlag enableFlag,
                                   ConfigFlag allowFlag, const char* tip,
                                   TableRef<ListColumn> columns) {
    return {{c.templateId, c.addDialog, c.editDialog, c.enableCheck, IDC_DEFAULT_ALLOW, c.addButton,
             c.removeButton, c.editButton, c.listView, c.contextMenu, ID_ITEM_ADD, ID_ITEM_REMOVE,
             ID_ITEM_EDIT},
            enableFlag,
            allowFlag,
            {"By default allow logon", tip, {false, 5, 25}},
            columns};
}

// The last column of a mode page: the row's TYPE as "Logon enabled" or "Logon disabled".
template <typename Row> constexpr ListColumn ModeColumn() {
    return {"Mode", LIST_PAGE_COLUMN_WIDTH, ModeCell<&Row::TYPE>};
}
