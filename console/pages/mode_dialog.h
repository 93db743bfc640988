// The add and edit dialogs of the list pages share their mode chooser (1018): a
// drop-down combo box of "Logon disabled" (index 0) and "Logon enabled" (index 1),
// preselected when the dialog opens.
#pragma once

#include <cstdint>

#include "config/config_model.h"
#include "console/pages/list_entry_dialog.h"
#include "console/framework/framework_dialog.h"

// Mode chooser items, in this order.
enum : int32_t { MODE_INDEX_DISABLED = 0, MODE_INDEX_ENABLED = 1 };

// Shown when OK is pressed on a typed mode that names none of the chooser's items.
extern const char MSG_UNKNOWN_MODE[];

class ModeDialog : public ModalDialog {
protected:
    ModeDialog(UINT templateId, int32_t initialMode)
        : ModalDialog(templateId), initialMode_(initialMode) {}

    // The mode an add dialog proposes: "Logon disabled" when logon is allowed by default
    // (the entry is then usually an exception), else "Logon enabled". An edit dialog
    // shows the row's TYPE.
    static int32_t InitialMode(const ListEntry& entry, int32_t type) {
        if (entry.adding)
            return entry.defaultAllow != 0 ? MODE_INDEX_DISABLED : MODE_INDEX_ENABLED;
        return type != 0 ? MODE_INDEX_ENABLED : MODE_INDEX_DISABLED;
    }

    // Fills the chooser and selects the initial mode.
    bool OnInitDialog() override;
    // OK on a typed text that names no mode says which modes there are and keeps the
    // dialog open; a text that names one (in any case) selects it. The dialog's own OK
    // handling runs only then.
    bool OnCommand(UINT id, UINT code, HWND control) override;
    // Index of the chosen mode: the item the chooser's text names (in any case), else
    // the mode the dialog opened with, so only 0 and 1 are ever stored.
    int32_t ChosenMode() const;

private:
    int32_t initialMode_;
};

// The add and edit dialogs of the mode pages: a row's mode is its TYPE.
template <typename Row> class ModeEntryDialog : public ListEntryDialog<Row, ModeDialog> {
public:
    ModeEntryDialog(Row& row, const ListEntry& entry)
        : ListEntryDialog<Row, ModeDialog>(row, entry, this->InitialMode(entry, row.TYPE)) {}
};

// The add and edit dialogs of a mode page whose row is one text field (Field) and its
// mode: the text is exchanged with control `textId` through a buffer the field's size.
template <auto Field>
class ModeTextDialog : public ModeEntryDialog<typename MemberOf<decltype(Field)>::Class> {
    using Row = typename MemberOf<decltype(Field)>::Class;

protected:
    ModeTextDialog(Row& row, const ListEntry& entry, int textId, const char* text)
        : ModeEntryDialog<Row>(row, entry), textId_(textId) {
        CopyToField(text_, text);
    }

    void DoDataExchange(DataExchange& dx) override { DdxText(dx, textId_, text_, sizeof(text_)); }
    // Writes the text and the chosen mode into the row.
    void Store() {
        CopyToField(this->row_.*Field, text_);
        this->row_.TYPE = this->ChosenMode();
    }

    const int textId_;
    char text_[sizeof(typename MemberOf<decltype(Field)>::Type)] = {};
};
