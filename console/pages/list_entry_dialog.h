// The add and edit dialogs of the list pages. Each works on one row, a new blank row to
// add or a copy of the row to edit, and tells its page whether OK stored it: the page
// then appends the new row, or copies the edited one back.
#pragma once

#include <windows.h>

#include <cstdint>

// How a list page opens its dialog.
struct ListEntry {
    bool adding;          // on a new blank row, else on a row of the list
    int32_t defaultAllow; // the page's default switch as last read
    UINT templateId;      // the page's add or edit dialog
};

// The row type (Class) and the field type (Type) of a pointer to a row's field.
template <typename Member> struct MemberOf;
template <typename Row, typename Field> struct MemberOf<Field Row::*> {
    using Class = Row;
    using Type = Field;
};

template <typename Row, typename Base> class ListEntryDialog : public Base {
public:
    bool Stored() const { return stored_; }

protected:
    // `args` go on to Base after the template id.
    template <typename... Args>
    ListEntryDialog(Row& row, const ListEntry& entry, Args... args)
        : Base(entry.templateId, args...), row_(row), adding_(entry.adding) {}

    // Closes with IDOK; `stored` tells whether the row is to be kept.
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
