// No Terminal Services here: no session for a configuration to refuse.
#include "gwconfig/own_session_guard.h"

std::string OwnSessionLockoutQuestion() {
    return "";
}
