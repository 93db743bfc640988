// Account lookup adapter: the local account domain's identifier with a relative id
// appended, turned into the account's name.
#include <windows.h>
#include <lm.h>

#include "platform/accounts.h"

int GetAccountNameByRid(const wchar_t* server, uint32_t rid, wchar_t* name, uint32_t* capacity) {
    USER_MODALS_INFO_2* modals = nullptr;
    NET_API_STATUS status = NetUserModalsGet(server, 2, reinterpret_cast<LPBYTE*>(&modals));
    if (status != NERR_Success) {
        SetLastError(status);
        return 0;
    }
    PSID domain = modals->usrmod2_domain_id;
    UCHAR count = *GetSidSubAuthorityCount(domain);
    DWORD size = GetSidLengthRequired(static_cast<UCHAR>(count + 1));
    PSID sid = HeapAlloc(GetProcessHeap(), 0, size);
    if (sid == nullptr) {
        NetApiBufferFree(modals);
        return 0;
    }
    InitializeSid(sid, GetSidIdentifierAuthority(domain), static_cast<BYTE>(count + 1));
    for (UCHAR i = 0; i < count; ++i)
        *GetSidSubAuthority(sid, i) = *GetSidSubAuthority(domain, i);
    *GetSidSubAuthority(sid, count) = rid;
    wchar_t domainName[15];
    DWORD domainCapacity = 15;
    DWORD nameCapacity = *capacity;
    SID_NAME_USE use;
    BOOL found =
        LookupAccountSidW(server, sid, name, &nameCapacity, domainName, &domainCapacity, &use);
    *capacity = nameCapacity;
    HeapFree(GetProcessHeap(), 0, sid);
    NetApiBufferFree(modals);
    return found ? 1 : 0;
}
