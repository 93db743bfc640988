#include "gwconfig/reg_export.h"

#include <cstdio>

namespace {

// Bytes per continued line of a hex value; the lines stay under 80 characters.
const size_t BYTES_PER_LINE = 25;

std::string Utf16le(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

} // namespace

std::string ConfigKeyPath(RegistryView view) {
    return view == RegistryView::VIEW_32
               ? "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Marrowby\\Gatewell"
               : "HKEY_LOCAL_MACHINE\\Software\\Marrowby\\Gatewell";
}

std::string RegistryFileBytes(const std::string& enciphered, RegistryView view,
                              const BesideValues& beside) {
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
    text += "[" + ConfigKeyPath(view) + "]\r\n";
    text += "\"tsdata\"=hex:";
    for (size_t k = 0; k < enciphered.size(); ++k) {
        char hex[4];
        snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(enciphered[k]));
        text += hex;
        if (k + 1 < enciphered.size()) {
            text += ",";
            if ((k + 1) % BYTES_PER_LINE == 0)
                text += "\\\r\n  ";
        }
    }
    char size[32];
    snprintf(size, sizeof size, "%08lx", static_cast<unsigned long>(enciphered.size()));
    text += "\r\n\"datasize\"=dword:" + std::string(size) + "\r\n";
    for (int id = 0; id < SIDE_SETTING_COUNT; ++id) {
        if (!beside.has[id])
            continue;
        snprintf(size, sizeof size, "%08lx", static_cast<unsigned long>(beside.value[id]));
        text += "\"" + std::string(SIDE_SETTINGS[id].name) + "\"=dword:" + size + "\r\n";
    }
    text += "\r\n";
    return Utf16le(text);
}
