#include "sentinode/failure_memory.h"

#include <algorithm>

namespace {
char FoldAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameServer(const std::string& known, const char* server) {
    size_t i = 0;
    for (; i < known.size(); ++i)
        if (server[i] == '\0' || FoldAscii(known[i]) != FoldAscii(server[i]))
            return false;
    return server[i] == '\0';
}
} // namespace

std::vector<ServerFailureMemory::Entry>::iterator ServerFailureMemory::Find(const char* server) {
    return std::find_if(entries_.begin(), entries_.end(),
                        [server](const Entry& e) { return SameServer(e.server, server); });
}

bool ServerFailureMemory::IsHeld(const char* server, uint32_t now) {
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [now](const Entry& e) {
                                      return static_cast<uint32_t>(now - e.failedAt) >=
                                             SERVER_HOLD_MILLISECONDS;
                                  }),
                   entries_.end());
    return server != nullptr && Find(server) != entries_.end();
}

void ServerFailureMemory::NoteFailure(const char* server, uint32_t now) {
    if (server == nullptr)
        return;
    auto it = Find(server);
    if (it != entries_.end())
        it->failedAt = now;
    else
        entries_.push_back({server, now});
}

void ServerFailureMemory::NoteSuccess(const char* server) {
    if (server == nullptr)
        return;
    auto it = Find(server);
    if (it != entries_.end())
        entries_.erase(it);
}
