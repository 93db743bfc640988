// File > "Configuration History...": the configurations earlier applies replaced, kept
// on this server or on one of the server monitor's servers (config/config_history.h),
// with the same columns as gwconfig history. "Compare" tells what changed from the
// selected generation to the configuration being edited, in the pages' words;
// "Restore" ends the dialog so the frame loads the generation as it loads a file (the
// administrator then applies it). Another server's history is read on a thread of its
// own, which posts its answer, so the window never waits on the network.
#pragma once

#include <cstdint>
#include <string>

#include "config/config_history.h"
#include "config/config_model.h"
#include "console/framework/framework_dialog.h"

class ConfigHistoryDialog : public ModalDialog {
public:
    // `config` is the configuration being edited (its server monitor list names the
    // other servers).
    explicit ConfigHistoryDialog(FilterConfigRecord& config);
    ~ConfigHistoryDialog() override;

    // Whether another server's answer is still awaited (for tests).
    bool Reading() const { return read_ != nullptr; }

    // After the dialog ended with IDC_HISTORY_RESTORE: loads the chosen generation into
    // FilterConfig (rows replaced as a file load replaces them) with the event log
    // setting it kept. False, with a message shown, when it does not decode.
    bool RestoreChosen();
    // The generation restored, as the events name the configuration's origin (UTF-8).
    std::string ChosenName() const;

    struct Read; // one read of another server's history, shared with its thread

protected:
    bool OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void ReadServer(int choice);
    void Show(const ConfigHistory& history, const std::string& failure);
    void ShowDetail(const std::string& utf8);
    void SelectionChanged();
    void Compare();
    const Generation* Selected() const;
    void Abandon();

    FilterConfigRecord& config_;
    uint32_t codePage_;
    ConfigHistory history_;
    std::string server_; // whose history is shown; empty: this server
    Read* read_ = nullptr;
    unsigned ticket_ = 0;
    Generation chosen_;
    std::string chosenServer_;
};
