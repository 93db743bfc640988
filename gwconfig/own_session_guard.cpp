// The console's own guard (console/shell/lockout_guard.cpp, built in here too), so the
// two ask the same question in the same words.
#include "gwconfig/own_session_guard.h"

#include "config/config_model.h"
#include "console/shell/lockout_guard.h"

std::string OwnSessionLockoutQuestion() {
    return LockoutQuestion(FilterConfig);
}
