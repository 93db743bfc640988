#include "engine/rejection.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "config/config_model.h"
#include "engine/engine_state.h"
#include "platform/log_file.h"
#include "platform/process.h"
#include "platform/terminal_services.h"
#include "platform/timed_message_box.h"

void ShowRejectMessage(const char* text, const char* caption) {
    // The texts come from fixed configuration fields: read them within that width.
    char boundedText[1024];
    char boundedCaption[1024];
    CopyToField(boundedText, text);
    CopyToField(boundedCaption, caption);
    // Whatever the box answers, the rejection goes on.
    ShowTimedMessage(nullptr, boundedText, boundedCaption, 0, REJECT_MESSAGE_TIMEOUT_MS);
}

void RecordRejection(int32_t code) {
    ClearConfigLists();
    SessionRejected = 1;
    if (FilterConfig.FLAG_LOGON_LOGS == 1)
        WriteLogonLog(code);
}

void RejectAndExit(int exitCode, int32_t code) {
    RecordRejection(code);
    ProcessExit(exitCode);
}

void RejectAndLogoff(int32_t code) {
    RecordRejection(code);
    TsLogoffSession(nullptr, TS_CURRENT_SESSION);
}

namespace {

// Appends with a bound: a text that does not fit is cut, the line stays terminated.
void AppendFormatted(char* line, size_t size, size_t* used, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

void AppendFormatted(char* line, size_t size, size_t* used, const char* format, ...) {
    if (*used + 1 >= size)
        return;
    line[*used] = '\0'; // nothing stale is counted if the call writes nothing
    va_list args;
    va_start(args, format);
    vsnprintf(line + *used, size - *used, format, args);
    va_end(args);
    // Some runtimes leave a cut text unterminated and report -1: terminate it here
    // and measure what is really there.
    line[size - 1] = '\0';
    *used += strlen(line + *used);
}

// A record field read with its bound, whatever the record holds.
const char* Field(const char* field, size_t size, char* copy) {
    memcpy(copy, field, size);
    copy[size - 1] = '\0';
    return copy;
}

} // namespace

size_t FormatLogonLine(char* line, size_t size, const char* timestamp, int32_t code,
                       const char* decision) {
    if (size == 0)
        return 0;
    line[0] = '\0';
    size_t used = 0;
    const SessionEventRecord& r = SessionRecord;
    char name[64], address[64], mac[64], station[64], user[64];
    AppendFormatted(
        line, size, &used, "%s,%s,%s,%s,%s,%s,%u,", timestamp,
        Field(r.clientName, sizeof name, name), Field(r.clientAddress, sizeof address, address),
        Field(r.clientMac, sizeof mac, mac), Field(r.winStationName, sizeof station, station),
        Field(r.userName, sizeof user, user), unsigned(r.sessionId));
    if (decision == nullptr)
        decision = SessionRejected == 1 ? "Rejected" : "Accepted";
    AppendFormatted(line, size, &used, "%s,%s,", decision, RejectCodeText(code));
    AppendFormatted(line, size, &used, "\r\n");
    return used;
}

void WriteLogonLog(int32_t code, const char* decision) {
    LogFileHandle file = LOG_FILE_INVALID;
    char path[sizeof FilterConfig.LOGON_LOGFILE];
    memcpy(path, FilterConfig.LOGON_LOGFILE, sizeof path);
    path[sizeof path - 1] = '\0';
    for (int attempt = 0; attempt < LOG_OPEN_ATTEMPTS; ++attempt) {
        if (attempt > 0)
            ProcessSleep(LOG_OPEN_RETRY_MS);
        file = LogFileOpenForAppend(path);
        if (file != LOG_FILE_INVALID)
            break;
    }
    if (file == LOG_FILE_INVALID)
        return;
    LocalDateTime now{};
    GetLocalDateTime(&now);
    char timestamp[100];
    snprintf(timestamp, sizeof timestamp, "%04d-%02d-%02d %02d:%02d:%02d", now.year, now.month,
             now.day, now.hour, now.minute, now.second);
    size_t length = FormatLogonLine(LogLineBuffer, LOG_LINE_SIZE, timestamp, code, decision);
    LogFileWrite(file, LogLineBuffer, length);
    LogFileClose(file);
}
