// The add and edit dialogs of the list pages. Each works on one row: a new blank row to
// add, or a row of the list to edit. It writes the row only when OK stores it, and
// tells its page whether it did; the page appends a stored new row.
#pragma once

#include <windows.h>

#include <cstdint>

// How a list page opens its dialog.
struct ListEntry {
    bool adding;          // on a new blank row, else on a row of the list
    int32_t defaultAllow; // the page's default switch as last read
};

template <typename Row, typename Base> class ListEntryDialog : public Base {
public:
    bool Stored() const { return stored_; }

protected:
    // The add or the edit template; `args` go on to Base after the template id.
    template <typename... Args>
    ListEntryDialog(Row& row, const ListEntry& entry, UINT addTemplate, UINT editTemplate,
                    Args... args)
        : Base(entry.adding ? addTemplate : editTemplate, args...), row_(row),
          adding_(entry.adding) {}

    // Closes with IDOK; `stored` tells whether the row was written.
    void Close(bool stored) {
        stored_ = stored;
        this->EndDialog(IDOK);
    }

    Row& row_;
    const bool adding_;

private:
    bool stored_ = false;
};

// Runs Dialog on `row`; true when OK stored it. The dialog a list page names.
template <typename Dialog, typename Row>
bool RunEntryDialog(HWND page, Row& row, const ListEntry& entry) {
    Dialog dialog(row, entry);
    return dialog.DoModal(page) == IDOK && dialog.Stored();
}
