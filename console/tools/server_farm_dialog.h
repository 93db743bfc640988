// Tools > "Compare Servers..." and "Apply to Servers...": the server monitor's servers
// with check boxes and a result column filled as each answer arrives. Each server is
// asked through its Remote Registry service on a thread of its own (platform/
// server_jobs.h), from a coordinating thread that posts each answer to the dialog, so
// the window never waits on the network; Cancel stops waiting. The settings beside the
// configuration (EventLog, AuditOnly) are compared and written with it, as gwconfig
// farm does.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/config_model.h"
#include "console/framework/framework_dialog.h"

struct ServerJob;

class ServerFarmDialog : public ModalDialog {
public:
    enum class Mode { COMPARE, APPLY };
    // `config` is the configuration being edited (FilterConfig: apply encodes it).
    ServerFarmDialog(FilterConfigRecord& config, Mode mode);
    ~ServerFarmDialog() override;

    // Whether answers are still awaited (for tests).
    bool Running() const;

    struct Batch; // one run: its jobs, thread and cancel event

protected:
    bool OnInitDialog() override;
    void OnOK() override { Start(); }
    void OnCancel() override;
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Start();
    void ShowAnswer(size_t job);
    void Ended();
    void SetRowText(int row, const std::string& text);
    std::string CompareText(const ServerJob& job);
    std::string ApplyText(size_t job, uint32_t error);

    FilterConfigRecord& config_;
    Mode mode_;
    uint32_t codePage_;
    std::unique_ptr<Batch> batch_;
    std::vector<int> rows_; // the list row of each job of the batch
    unsigned generation_ = 0;
};
