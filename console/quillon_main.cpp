// quillon.exe: the administrators' console.
#include <windows.h>

#include "console/shell/tollbrook_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    static CTollbrookApp app;
    return RunApplication(app, instance, commandLine);
}
