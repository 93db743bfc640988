// gwconfig: the configuration from the command line.
#include <cstdio>
#include <exception>

#include "gwconfig/commands.h"
#include "platform/tool_files.h"

// Nothing may leave main as an exception: whatever stopped a command is told, and
// the exit code says nothing was done.
int main(int argc, char** argv) {
    try {
        return RunGwconfig(ToolArguments(argc, argv), stdout, stderr);
    } catch (const std::exception& e) {
        fprintf(stderr, "gwconfig: %s\n", e.what());
    } catch (...) {
        fprintf(stderr, "gwconfig: the command stopped on an unexpected failure\n");
    }
    return GW_EXIT_BAD_INPUT;
}
