/* Sentinode: the monitoring library the Quillon console binds at load time. It asks a
 * Terminal Server for its sessions (WTSOpenServerA, WTSEnumerateSessionsA,
 * WTSFreeMemory, WTSCloseServer) and hands them back as an array of fixed records.
 *
 * Exports (undecorated names, C calling convention), exactly these two:
 *
 *   SentinodeSessionRecord* QuerySessionInformation(const char* server, int32_t* count)
 *     `server`: NUL-terminated server name, as WTSOpenServerA takes it.
 *     `count`:  receives the number of records (0 on failure).
 *     Success: a pointer to `*count` records, one per session on the server. A server
 *     without sessions gives a valid pointer with `*count` 0; it must be freed too.
 *     Failure: null and `*count` 0: a null argument, a server that cannot be opened or
 *     whose sessions cannot be listed, or no memory. A null `count` is never written.
 *
 *   void FreePointer(void* pointer)
 *     Releases an array that QuerySessionInformation returned. The library owns each
 *     array until then; the caller frees every non-null result exactly once and does
 *     not touch it afterwards. Null, and any pointer the library did not hand out (or
 *     has already taken back), are ignored.
 *
 * Failure memory: asking an unreachable server can block for many seconds. A server
 * whose query failed is answered with null at once, without a remote call, for the
 * next 30 seconds (counted from the end of the failed call); then it is asked again.
 * A server that answers is never held back. Names are compared without regard to the
 * case of A-Z. Both functions may be called from any thread.
 */
#ifndef SENTINODE_H
#define SENTINODE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One session, 72 bytes, little-endian:
 *   bytes 0-3   sessionId       the session's id on its server
 *   bytes 4-7   state           connection state: 0 active, 1 connected, 2 connect
 *                               query, 3 shadow, 4 disconnected, 5 idle, 6 listen,
 *                               7 reset, 8 down, 9 init
 *   bytes 8-71  winStationName  the WinStation name ("RDP-Tcp#3", "Console"), cut to
 *                               63 characters, NUL-terminated, zero-filled after */
enum { SENTINODE_WINSTATION_CHARS = 64 };

typedef struct SentinodeSessionRecord {
    uint32_t sessionId;
    int32_t state;
    char winStationName[SENTINODE_WINSTATION_CHARS];
} SentinodeSessionRecord;

#ifdef __cplusplus
static_assert(sizeof(SentinodeSessionRecord) == 72, "a record is 72 bytes");
static_assert(offsetof(SentinodeSessionRecord, state) == 4, "state is in bytes 4 to 7");
static_assert(offsetof(SentinodeSessionRecord, winStationName) == 8, "name from byte 8");
#endif

#if defined(SENTINODE_BUILD) || !defined(_WIN32)
#define SENTINODE_API
#else
#define SENTINODE_API __declspec(dllimport)
#endif

SENTINODE_API SentinodeSessionRecord* __cdecl QuerySessionInformation(const char* server,
                                                                      int32_t* count);
SENTINODE_API void __cdecl FreePointer(void* pointer);

#ifdef __cplusplus
}
#endif

#endif
