// A program the import audit must refuse: it imports a function that kernel32 exports
// only from Windows Vista on and a secure CRT function that the msvcrt.dll of XP and
// Server 2003 lacks. Built for the audit's own test; never shipped.
#include <windows.h>

#include <cstdlib>

// Declared by the SDK headers only for _WIN32_WINNT 0x0600 and later.
extern "C" __declspec(dllimport) ULONGLONG WINAPI GetTickCount64(void);

int main(int argc, char** argv) {
    char drive[_MAX_DRIVE];
    char directory[_MAX_DIR];
    _splitpath_s(argv[0], drive, sizeof(drive), directory, sizeof(directory), nullptr, 0, nullptr,
                 0);
    return static_cast<int>(GetTickCount64() % 2) + argc + drive[0];
}
