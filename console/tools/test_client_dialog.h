// "Test a Client" (Tools menu): the facts of a client, filled in from the console's
// own session, and the decision the library would take over them with the
// configuration as it is being edited, explained in the words of `gwconfig check`.
#pragma once

#include <string>

#include "config/config_model.h"
#include "console/framework/framework_dialog.h"
#include "engine/described_session.h"

class TestClientDialog : public ModalDialog {
public:
    explicit TestClientDialog(const FilterConfigRecord& config);

protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    // Enter runs the test rather than closing the dialog.
    void OnOK() override { RunTest(); }

private:
    // Reads the fields into a session; false (the user told, the field focused) when
    // one does not hold a valid value.
    bool ReadFields(DescribedSession* session, bool* atGiven);
    void RunTest();
    std::string FieldText(int id) const;
    bool Refuse(int id, const std::string& message);

    const FilterConfigRecord& config_;
};
