// What the three mode pages (addresses, computer names, MAC addresses) share: the
// default switch "By default allow logon" (IDC_DEFAULT_ALLOW) with its tip below it,
// the add and edit dialogs' mode chooser (mode_dialog.h) and the "Mode" column last. A
// mode page names only its templates and controls, its two switches, its tip and its
// first columns.
#pragma once

#include "console/pages/list_page.h"
#include "console/res/resource.h"

inline ListPageTable ModePageTable(const ListPageControls& controls, ConfigFlag enableFlag,
                                   ConfigFlag allowFlag, const char* tip,
                                   TableRef<ListColumn> columns) {
    return {controls,
            IDC_DEFAULT_ALLOW,
            enableFlag,
            allowFlag,
            {"By default allow logon", tip, {false, 5, 25}},
            columns};
}

// The last column of a mode page: the row's TYPE as "Logon enabled" or "Logon disabled".
template <typename Row> constexpr ListColumn ModeColumn() {
    return {"Mode", LIST_PAGE_COLUMN_WIDTH, ModeCell<&Row::TYPE>};
}
