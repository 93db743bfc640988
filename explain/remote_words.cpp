#include "explain/remote_words.h"

namespace {

const char CONFIG_KEY[] = "HKLM\\Software\\Marrowby\\Gatewell";

} // namespace

bool ParseServerName(const std::string& given, std::string* server) {
    size_t start = given.find_first_not_of('\\');
    if (start == std::string::npos || (start != 0 && start != 2))
        return false;
    std::string name = given.substr(start);
    if (name.find_first_of("\\/ \t") != std::string::npos)
        return false;
    *server = name;
    return true;
}

std::string ServerLabel(const std::string& server) {
    return "\\\\" + server;
}

bool IsUnreachable(uint32_t error) {
    // Bad network path or name, the network or the RPC server (the Remote Registry
    // service) unreachable or unavailable.
    return error == REMOTE_UNREACHABLE || error == 51 || error == 64 || error == 67 ||
           error == 1231 || error == 1722 || error == 1727;
}

std::string RemoteFailureText(const std::string& server, uint32_t error, bool writing) {
    const std::string label = ServerLabel(server);
    const std::string code = " (error " + std::to_string(error) + ")";
    if (error == REMOTE_NEEDS_WINDOWS)
        return "cannot reach " + label +
               ": a remote computer's registry is reached through Windows; --computer works "
               "in gwconfig.exe";
    if (IsUnreachable(error))
        return "cannot reach the registry of " + label + code +
               ": is the server on and the Remote Registry service started?";
    if (error == REMOTE_ACCESS_DENIED)
        return std::string("access to the configuration of ") + label + " is denied" + code + ": " +
               (writing ? "writing" : "reading") + " " + CONFIG_KEY +
               " there needs an administrator of that server";
    if (error == REMOTE_NO_CONFIGURATION && !writing)
        return label + " has no configuration stored under " + CONFIG_KEY +
               ": store one with gwconfig apply --computer " + server + " FILE";
    return std::string("cannot ") + (writing ? "write" : "read") + " the configuration of " +
           label + code;
}

std::string RemoteStatusWord(uint32_t error) {
    if (error == REMOTE_NO_CONFIGURATION)
        return "no configuration";
    if (error == REMOTE_ACCESS_DENIED)
        return "access denied";
    if (IsUnreachable(error))
        return "unreachable";
    return "error " + std::to_string(error);
}
