#include "engine/engine_state.h"

int32_t SessionRejected = 0;
SessionEventRecord SessionRecord = {};
char LogLineBuffer[LOG_LINE_SIZE] = {};
