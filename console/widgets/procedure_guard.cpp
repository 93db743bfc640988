#include "console/widgets/procedure_guard.h"

#include <cstdio>

#include "platform/message_box.h"

namespace {
const char ACTION_FAILED[] =
    "The console could not finish this action (%s). The configuration is kept as it was.";
int g_reporting = 0; // boxes of this kind up now (one user-interface thread)
} // namespace

void ReportProcedureFailure(const char* what) noexcept {
    if (g_reporting > 0)
        return;
    ++g_reporting;
    // A fixed buffer: memory may be what ran out.
    char text[768];
    snprintf(text, sizeof text, ACTION_FAILED, what != nullptr ? what : "an unknown failure");
    try {
        ShowMessageBox(text, nullptr, BOX_OK | BOX_ICONERROR);
    } catch (...) {
        // Not even the box could be shown; the action has stopped all the same.
    }
    --g_reporting;
}
