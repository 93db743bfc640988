// The MAC address filter page (CMacaddress): the macAddresses list of FilterConfig with
// FLAG_MACADDRESS and FLAG_MACADDRESS_ALLOW. The dialogs' address field is a masked
// edit; only complete addresses are stored, in upper case, and never the all-zero one.
#pragma once

#include "console/pages/list_page.h"

// The address field's mask, prompt and the add dialog's default text.
extern const char MAC_ADDRESS_MASK[];   // "HH-HH-HH-HH-HH-HH"
extern const char MAC_ADDRESS_PROMPT[]; // "__-__-__-__-__-__"
extern const char MAC_ADDRESS_NONE[];   // "00-00-00-00-00-00"

// The class name is the one the resources and the help are keyed to: keep it.
class CMacaddress : public ListPage<MacAddressRow> {
public:
    CMacaddress();
};
