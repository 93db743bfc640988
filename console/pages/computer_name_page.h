// The computer name filter page (Ccomputernamefliter): the computerNames list of
// FilterConfig with FLAG_COMPUTERNAME and FLAG_COMPUTERNAME_ALLOW. Names are stored as
// typed; '*' is the engine's wildcard.
#pragma once

#include "console/pages/list_page.h"

// The class name is the one the resources and the help are keyed to: keep it.
class Ccomputernamefliter : public ListPage<ComputerNameRow> {
public:
    Ccomputernamefliter();
};
