// Local accounts: the name of an account of the local account domain by its
// relative id (500 is the built-in administrator, whatever it has been renamed to).
#pragma once

#include <cstdint>

// NetUserModalsGet(server, 2) for the domain's identifier, a new identifier with
// `rid` appended, then LookupAccountSidW(server, ..., name, capacity, a 15-character
// domain buffer, ...). Non-zero on success with the name in `name`; 0 on failure.
// `server` null means the local computer.
int GetAccountNameByRid(const wchar_t* server, uint32_t rid, wchar_t* name, uint32_t* capacity);
