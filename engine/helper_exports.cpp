// The library's exported session helpers. Like every export they load the library
// first and let nothing escape to the host.
#include "engine/helper_exports.h"

#include "config/config_model.h"
#include "engine/library_loading.h"
#include "engine/session_facts.h"

int32_t GetCountOfSessionWithTheSameIP(TsServer server, uint32_t address, uint32_t* count) {
    try {
        EnsureLibraryLoaded();
        if (count == nullptr)
            return -1;
        return CountSessionsFromAddress(server, address, FilterConfig.IGNORE_DISCONNECTED != 0,
                                        count);
    } catch (...) {
        return -1;
    }
}

int32_t IsConsoleSession() {
    try {
        EnsureLibraryLoaded();
        return SessionIsConsoleOrUnknown();
    } catch (...) {
        return 1;
    }
}

int32_t GetRemoteMac(const char* addressText, uint32_t address, uint8_t* mac, char* text) {
    try {
        EnsureLibraryLoaded();
        return ReadRemoteMac(addressText, address, mac, text);
    } catch (...) {
        return -1;
    }
}

char* stristr(const char* text, const char* find) {
    try {
        EnsureLibraryLoaded();
        return FindNoCase(text, find);
    } catch (...) {
        return nullptr;
    }
}
