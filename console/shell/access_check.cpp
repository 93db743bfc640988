#include "console/shell/access_check.h"

#include <cstdio>

namespace {
AccessTokenSource g_tokenSource = nullptr;

BOOL OpenCallerToken(HANDLE* token) {
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token))
        return TRUE;
    if (GetLastError() != ERROR_NO_TOKEN)
        return FALSE;
    return OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token);
}

// Everything the check allocates, freed whatever way it ends.
struct CheckResources {
    HANDLE token = nullptr;
    PSID administrators = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL acl = nullptr;
    bool impersonating = false;
    ~CheckResources() {
        if (acl != nullptr)
            LocalFree(acl);
        if (descriptor != nullptr)
            LocalFree(descriptor);
        if (administrators != nullptr)
            FreeSid(administrators);
        if (token != nullptr)
            CloseHandle(token);
        // Never leave the thread impersonating, also when the check failed.
        if (impersonating)
            RevertToSelf();
    }
};

const DWORD ACCESS_READ = 1;
const DWORD ACCESS_WRITE = 2;
} // namespace

AccessTokenSource SetAccessTokenSource(AccessTokenSource source) {
    AccessTokenSource previous = g_tokenSource;
    g_tokenSource = source;
    return previous;
}

BOOL CheckAdministratorAccess() {
    CheckResources r;
    r.impersonating = ImpersonateSelf(SecurityImpersonation) != FALSE;

    AccessTokenSource source = g_tokenSource != nullptr ? g_tokenSource : &OpenCallerToken;
    if (!source(&r.token)) {
        r.token = nullptr;
        return FALSE;
    }

    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    if (!AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                  DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &r.administrators))
        return FALSE;

    // The minimum descriptor is 20 bytes on 32-bit Windows and 40 on 64-bit.
    r.descriptor =
        static_cast<PSECURITY_DESCRIPTOR>(LocalAlloc(LPTR, SECURITY_DESCRIPTOR_MIN_LENGTH));
    if (r.descriptor == nullptr ||
        !InitializeSecurityDescriptor(r.descriptor, SECURITY_DESCRIPTOR_REVISION))
        return FALSE;

    // List header, one access-allowed entry and the identifier, less the word of the
    // entry that the identifier overlays.
    DWORD aclSize =
        sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(r.administrators) - sizeof(DWORD);
    r.acl = static_cast<PACL>(LocalAlloc(LPTR, aclSize));
    if (r.acl == nullptr || !InitializeAcl(r.acl, aclSize, ACL_REVISION2) ||
        !AddAccessAllowedAce(r.acl, ACL_REVISION2, ACCESS_READ | ACCESS_WRITE, r.administrators) ||
        !SetSecurityDescriptorDacl(r.descriptor, TRUE, r.acl, FALSE) ||
        !SetSecurityDescriptorGroup(r.descriptor, r.administrators, FALSE) ||
        !SetSecurityDescriptorOwner(r.descriptor, r.administrators, FALSE) ||
        !IsValidSecurityDescriptor(r.descriptor))
        return FALSE;

    GENERIC_MAPPING mapping = {};
    mapping.GenericRead = ACCESS_READ;
    mapping.GenericWrite = ACCESS_WRITE;
    mapping.GenericExecute = 0;
    mapping.GenericAll = ACCESS_READ | ACCESS_WRITE;
    alignas(PRIVILEGE_SET) BYTE privileges[20] = {};
    DWORD privilegesSize = sizeof(privileges);
    DWORD granted = 0;
    BOOL status = FALSE;
    if (!AccessCheck(r.descriptor, r.token, ACCESS_READ, &mapping,
                     reinterpret_cast<PPRIVILEGE_SET>(privileges), &privilegesSize, &granted,
                     &status)) {
        printf("AccessCheck() failed with error %lu\n", static_cast<unsigned long>(GetLastError()));
        return FALSE;
    }
    return status;
}
