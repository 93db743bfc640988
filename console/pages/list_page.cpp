#include "console/pages/list_page.h"

const char* ModeText(int32_t type) {
    return type != 0 ? "Logon enabled" : "Logon disabled";
}
