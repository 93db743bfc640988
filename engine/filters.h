// The seven session filters as the library runs them: each decides over FilterConfig
// and the calling process's own session and returns 1 when the session passes or the
// filter is off. A start-up filter that rejects ends the process;
// ValidateSessionCount_User returns 0 after its over-limit rejection has asked for a
// logoff.
#pragma once

#include "engine/decision_core.h"

int ValidateIPAddress();
int ValidateClientName();
int ValidateMACAddress();
int ValidateTime();
int ValidateVersion();
int ValidateSessionCount_IP();
int ValidateSessionCount_User();
