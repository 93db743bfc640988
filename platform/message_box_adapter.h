// Seam: the real message box behind ShowMessageBox (message_box.h), after the test
// hook and the application's caption have been applied. Defined by
// platform/win32/message_box_win32.cpp in the Windows builds; a native test program
// that shows boxes defines its own stand-in (tests/engine/fake_platform.cpp,
// tests/config/fake_config_store.cpp, the configuration benchmarks). A definition
// that includes this header and no longer matches it does not compile (GW_SEAM_CHECK).
#pragma once

#include <cstdint>

// Shows the box and returns the answer (ANSWER_*).
int PlatformShowMessageBox(const char* text, const char* caption, uint32_t style);
