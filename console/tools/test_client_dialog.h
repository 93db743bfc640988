// "Test a Client" (Tools menu): the facts of a client, filled in from the console's
// own session, and the decision the library would take over them with the
// configuration as it is being edited: first what happens, the entry that decided and
// how to let the client in, in the pages' words; then the details, in the words of
// `gwconfig check`. "Show Entry" closes the dialog asking the frame to show that entry.
#pragma once

#include <cstdint>
#include <string>

#include "config/config_model.h"
#include "console/framework/framework_dialog.h"
#include "console/pages/page_view.h"
#include "engine/described_session.h"
#include "explain/decision_words.h"

// The page that shows a filter.
PageKind PageOfFilter(FilterId filter);

class TestClientDialog : public ModalDialog {
public:
    // The filters whose bit `auditMask` holds (AuditOnly's filter bits) only audit.
    explicit TestClientDialog(const FilterConfigRecord& config, uint32_t auditMask = 0);

    // Where the last test's decision can be seen (onPage false when it admitted). When
    // DoModal returns IDC_TEST_SHOW_ENTRY, the frame shows it.
    const DecisionPlace& ShownPlace() const { return place_; }

protected:
    bool OnInitDialog() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    // Enter runs the test rather than closing the dialog.
    void OnOK() override { RunTest(); }

private:
    // Reads the fields into a session; false (the user told, the field focused) when
    // one does not hold a valid value. An empty field is a fact that cannot be read.
    bool ReadFields(DescribedSession* session, bool* atGiven);
    void RunTest();
    std::string FieldText(int id) const;
    bool Refuse(int id, const std::string& message);
    // Puts the local date and time into its field, remembered as not typed.
    void FillNow(const LocalDateTime& now);

    const FilterConfigRecord& config_;
    const uint32_t auditMask_;
    DecisionPlace place_;
    // The date and time the dialog wrote: while the field still holds it, a test
    // takes the moment it runs, not this one.
    std::string filledTime_;
};
