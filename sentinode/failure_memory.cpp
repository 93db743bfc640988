#include "sentinode/failure_memory.h"

namespace {
// Names compare without case, folding the ASCII letters only.
std::string Folded(const char* server) {
    std::string name(server);
    for (char& c : name)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return name;
}

bool Ended(uint32_t failedAt, uint32_t now) {
    return static_cast<uint32_t>(now - failedAt) >= SERVER_HOLD_MILLISECONDS;
}
} // namespace

void ServerFailureMemory::ForgetEnded(uint32_t now) {
    while (!noted_.empty() && Ended(noted_.front().at, now)) {
        auto it = failedAt_.find(noted_.front().server);
        if (it != failedAt_.end() && it->second == noted_.front().at)
            failedAt_.erase(it);
        noted_.pop_front();
    }
}

bool ServerFailureMemory::IsHeld(const char* server, uint32_t now) {
    ForgetEnded(now);
    if (server == nullptr)
        return false;
    auto it = failedAt_.find(Folded(server));
    if (it == failedAt_.end())
        return false;
    if (Ended(it->second, now)) { // noted out of time order: behind a later failure
        failedAt_.erase(it);
        return false;
    }
    return true;
}

void ServerFailureMemory::NoteFailure(const char* server, uint32_t now) {
    if (server == nullptr)
        return;
    std::string name = Folded(server);
    failedAt_[name] = now;
    noted_.push_back({std::move(name), now});
}

void ServerFailureMemory::NoteSuccess(const char* server) {
    if (server != nullptr)
        failedAt_.erase(Folded(server));
}
