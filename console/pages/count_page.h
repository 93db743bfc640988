// What the two session count pages (sessions per address, sessions per user) share: the
// default switch "By default " (IDC_SESSION_DEFAULT) with its tip below it and the
// default count beside it, the "Sessions Max" column last, the option that leaves
// disconnected sessions out of the count (worded alike on both pages), and the add and
// edit dialogs' count field (IDC_SIP_COUNT with its arrows IDC_SIP_ARROWS, on all four
// templates). A count page names its templates and controls, its switches and default
// count, its options and the order its controls are read in.
#pragma once

#include "console/framework/framework_dialog.h"
#include "console/pages/list_page.h"
#include "console/res/resource.h"

// The default switch, the tip it shows and the default count it enables.
struct CountPageDefault {
    ConfigFlag flag;
    const char* tip;
    ConfigFlag count;
    CountRule rule;
};

inline ListPageTable CountPageTable(const ListPageControls& controls, ConfigFlag enableFlag,
                                    const CountPageDefault& byDefault, TableRef<ListColumn> columns,
                                    TableRef<ListPageOption> options, TableRef<int> readOrder) {
    return {controls,
            IDC_SESSION_DEFAULT,
            enableFlag,
            byDefault.flag,
            {"By default ", byDefault.tip, {true, 5, 25}},
            columns,
            options,
            readOrder,
            byDefault.count,
            byDefault.rule};
}

// The last column of a count page: the row's count under "Sessions Max".
template <auto Count> constexpr ListColumn CountColumn(int width) {
    return {"Sessions Max", width, NumberCell<Count>};
}

// "Ignore Disconnected sessions when calculating session usage", its tip `tipDx` pixels
// right of the box's left edge.
inline ListPageOption IgnoreDisconnectedOption(int check, ConfigFlag setting, int tipDx) {
    return {check,
            setting,
            {"Ignore Disconnected sessions when calculating session usage",
             "If this box is checked, Quillon will not count disconnected sessions .",
             {false, tipDx, 20}}};
}

// The add and edit dialogs of a count page over the row field Count: a new row's count
// is 1, an edited row shows its own; the arrows step it from 1 to 9.
template <auto Count>
class CountEntryDialog
    : public ListEntryDialog<typename MemberOf<decltype(Count)>::Class, ModalDialog> {
    using Row = typename MemberOf<decltype(Count)>::Class;

public:
    CountEntryDialog(Row& row, const ListEntry& entry)
        : ListEntryDialog<Row, ModalDialog>(row, entry),
          count_(entry.adding ? SESSION_COUNT_MIN : row.*Count) {}

protected:
    // The count as an integer; a text that is none shows its message and fails.
    void ExchangeCount(DataExchange& dx) { DdxInt(dx, IDC_SIP_COUNT, count_); }
    // Shows the dialog's fields and binds the arrows to the count.
    void ShowFields() {
        this->UpdateData(false);
        HWND dialog = this->hwnd();
        BindCountArrows(GetDlgItem(dialog, IDC_SIP_ARROWS), GetDlgItem(dialog, IDC_SIP_COUNT));
    }
    void StoreCount() { this->row_.*Count = count_; }

    int32_t count_;
};
