// Seam: the console's lockout guard over the session gwconfig runs in. gwconfig.exe asks
// it before a rollback stores a configuration on this server (own_session_guard.cpp);
// systems without Terminal Services link own_session_none.cpp (gwconfig/CMakeLists.txt
// chooses).
#pragma once

#include <string>

// The question the console asks before it applies FilterConfig, when FilterConfig would
// refuse this session at its next logon; empty when it would not, or when the library
// leaves the session alone. UTF-8.
std::string OwnSessionLockoutQuestion();
