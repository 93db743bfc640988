// gwconfig: the configuration from the command line.
#include <cstdio>

#include "gwconfig/commands.h"
#include "platform/tool_files.h"

int main(int argc, char** argv) {
    return RunGwconfig(ToolArguments(argc, argv), stdout, stderr);
}
