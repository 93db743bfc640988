#include "console/widgets/procedure_guard.h"

#include <windows.h>

#include <cstdio>

#include "console/res/resource.h"
#include "console/widgets/framework_app.h"
#include "platform/message_box.h"

namespace {
int g_reporting = 0; // boxes of this kind up now (one user-interface thread)
} // namespace

void ReportProcedureFailure(const char* what) noexcept {
    if (g_reporting > 0)
        return;
    ++g_reporting;
    // Fixed buffers: memory may be what ran out.
    char format[256] = {};
    if (LoadStringA(ResourceInstance(), IDS_ACTION_FAILED, format, sizeof format) <= 0)
        lstrcpynA(format, "The console could not finish this action (%s).", sizeof format);
    char text[768];
    snprintf(text, sizeof text, format, what != nullptr ? what : "an unknown failure");
    try {
        ShowMessageBox(text, nullptr, BOX_OK | BOX_ICONERROR);
    } catch (...) {
        // Not even the box could be shown; the action has stopped all the same.
    }
    --g_reporting;
}
