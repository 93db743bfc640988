// Process-wide state of the filter library that lives between calls. The host calls
// the exports of one process one at a time, so none of it is locked.
#pragma once

#include <cstdint>

#include "engine/session_record.h"

// 0: no rejection since the last session start; 1: a filter rejected the session.
extern int32_t SessionRejected;

// The record the latest entry call built; its fields feed the logon log line.
extern SessionEventRecord SessionRecord;

// The logon log line is assembled here.
constexpr size_t LOG_LINE_SIZE = 1024;
extern char LogLineBuffer[LOG_LINE_SIZE];
