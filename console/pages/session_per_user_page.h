// The sessions per user page (CSessionUserView): the sessionUsers list of FilterConfig,
// with FLAG_SERVEROPTION_SESSIONPERUSER, the default switch
// FLAG_SESSION_PER_USER_DEFAULT and its count SESSIONPERUSER_COUNT, and the options
// FLAG_USER_REMOVE_DISCONNECTED, FLAG_USER_IGNORE_DISCONNECTED and
// FLAG_USER_IGNORE_ADMINISTRATOR. The page has no context menu.
#pragma once

#include "console/pages/list_page.h"

// Longest user name the dialogs take: SESSION_USER holds it with its terminator.
enum : int { SESSION_USER_NAME_MAX = sizeof(SessionUserRow::SESSION_USER) - 1 };

// The class name is the one the resources and the help are keyed to: keep it.
class CSessionUserView : public ListPage<SessionUserRow> {
public:
    CSessionUserView();
};
