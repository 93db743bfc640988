// Log lines as the library writes them, for the report's tests.
#pragma once

#include <string>

// One line: nine fields each followed by a comma, then CR LF.
inline std::string LogLineText(const std::string& time, const std::string& name,
                               const std::string& address, const std::string& mac,
                               const std::string& user, const std::string& id,
                               const std::string& code) {
    return time + "," + name + "," + address + "," + mac + ",RDP-Tcp#7," + user + "," + id + "," +
           (code.empty() ? "Accepted" : "Rejected") + "," + code + ",\r\n";
}
