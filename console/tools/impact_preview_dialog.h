// Tools > "Preview Impact...": the configuration being edited against the one stored on
// this server, over the logon log the Logs page names (the last 30 days unless the
// period is changed) and over the sessions on this server now. It lists the clients that
// would be refused and those that would get in, in the pages' words; "Show Entry" closes
// the dialog asking the frame to show the entry that decides the selected row. The log
// is read and the sessions listed on a thread of the dialog's own, which posts its
// progress; Cancel stops waiting for it, so the window never waits on the disk.
#pragma once

#include <string>
#include <vector>

#include "config/config_model.h"
#include "console/framework/framework_dialog.h"
#include "explain/decision_words.h"

class ImpactPreviewDialog : public ModalDialog {
public:
    // `edited` is the configuration being edited (FilterConfig); it is copied at each
    // start, so the work never reads it while a page may change it.
    explicit ImpactPreviewDialog(const FilterConfigRecord& edited);
    ~ImpactPreviewDialog() override;

    // Where the selected row's entry is; when DoModal returns IDC_IMPACT_SHOW_ENTRY, the
    // frame shows it.
    const DecisionPlace& ShownPlace() const { return place_; }
    // Whether the dialog still waits for its run: from the start until the results are
    // shown or Cancel is pressed (for tests).
    bool Running() const { return job_ != nullptr; }

    struct Job; // one run: its inputs, results and the thread's share of it

protected:
    bool OnInitDialog() override;
    void OnOK() override { Start(); }
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Start();
    void Stop(const char* progress);
    void Finished();
    void ShowResults();
    void SelectionChanged();

    const FilterConfigRecord& edited_;
    // The run waited for: let go when its results are shown or Cancel is pressed. The
    // thread's own end is not that moment: it comes just before the message that shows them.
    Job* job_ = nullptr;
    std::vector<DecisionPlace> rowPlaces_; // of each list row
    std::vector<std::string> rowWords_;
    DecisionPlace place_;
};
