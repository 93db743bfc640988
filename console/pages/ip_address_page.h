// The IP address filter page (CTollbrookView): the ipRanges list of FilterConfig with
// FLAG_IPADDRESS and FLAG_IPADDRESS_ALLOW.
#pragma once

#include "console/pages/list_page.h"

// The class name is the one the resources and the help are keyed to: keep it.
class CTollbrookView : public ListPage<IpRangeRow> {
public:
    CTollbrookView();
};
