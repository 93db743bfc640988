// The sessions per IP address page (CSessionPerIPView): the sessionIps list of
// FilterConfig, with FLAG_SERVEROPTION, the default switch FLAG_SERVEROPTION_CHECK_TYPE
// and its count SESSION_PER_IP (1 to 9), and the options REMOVE_DISCONNECTED and
// IGNORE_DISCONNECTED.
#pragma once

#include "console/pages/list_page.h"

// The class name is the one the resources and the help are keyed to: keep it.
class CSessionPerIPView : public ListPage<SessionIpRow> {
public:
    CSessionPerIPView();
};
