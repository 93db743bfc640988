// The console's administrator check: does the calling thread's security context pass
// an access check against a descriptor that grants access only to the built-in
// Administrators group (S-1-5-32-544)? Only enabled groups of the token count.
#pragma once

#include <windows.h>

BOOL CheckAdministratorAccess();

// Where the check gets its token: by default the calling thread's token (the check
// impersonates itself first), else the process's. A test can hand in another token
// (an impersonation token opened for query; the check closes it). Returns the
// previous source; null restores the default.
using AccessTokenSource = BOOL (*)(HANDLE* token);
AccessTokenSource SetAccessTokenSource(AccessTokenSource source);
