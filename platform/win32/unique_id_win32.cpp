// Identifier adapter: CoCreateGuid (ole32, Windows 2000 and later; needs no COM
// initialisation).
#include <objbase.h>

#include <cstring>

#include "platform/unique_id.h"

static_assert(sizeof(GUID) == sizeof(UniqueId), "UniqueId has the GUID's layout");

bool NewUniqueId(UniqueId* id) {
    GUID guid;
    if (FAILED(CoCreateGuid(&guid)))
        return false;
    id->data1 = guid.Data1;
    id->data2 = guid.Data2;
    id->data3 = guid.Data3;
    memcpy(id->data4, guid.Data4, sizeof id->data4);
    return true;
}
