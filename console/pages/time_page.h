// The time restriction page (CTimeView): FLAG_TIME, the weekdays WEEK_W1 (Monday) to
// WEEK_W7 (Sunday), TIME_BETWEEN and the two times TIME_FROM and TIME_TO, typed into
// masked edits of the form HH:MM:SS and stored as the fields show them.
#pragma once

#include <cstdint>

#include "config/config_model.h"
#include "console/pages/page_view.h"

// The time fields' mask and prompt.
extern const char TIME_MASK[];   // "00:00:00"
extern const char TIME_PROMPT[]; // "__:__:__"

// The class name is the one the resources and the help are keyed to: keep it.
enum : int { DAYS_PER_WEEK = 7 };

// The class name is the one the resources and the help are keyed to: keep it.
class CTimeView : public PageView {
public:
    CTimeView();
    void OnInitialUpdate() override;

protected:
    void DoDataExchange(DataExchange& dx) override;
    bool OnCommand(UINT id, UINT code, HWND control) override;

private:
    bool BetweenChecked() const;
    // The filter switch enables the days and the two choices; the time fields need
    // "Between" as well.
    void EnableControls();
    void OnFilterSwitch();
    void OnDay(int day);
    void OnChoice(bool between);
    void OnTimeChanged(int field);

    int32_t days_[DAYS_PER_WEEK]; // Monday first
    int32_t enable_;
    char from_[sizeof(FilterConfigRecord::TIME_FROM)];
    char to_[sizeof(FilterConfigRecord::TIME_TO)];
};
