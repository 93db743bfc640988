// Reads and writes of many servers' configurations at once, each on its own thread
// with its own deadline, so that a server that does not answer holds neither the
// others nor the caller. The Windows adapter is platform/win32/server_jobs_win32.cpp
// (Win32 threads: the -win32 mingw compilers have no std::thread); elsewhere the jobs
// run one after the other, and fail (platform/remote_config.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/config_key_port.h"
#include "platform/remote_config.h"

// One server's read or write. The runner fills error, blob (after a read) and timedOut.
struct ServerJob {
    std::string server; // the computer name without backslashes, UTF-8
    RemoteView view = RemoteView::VIEW_64;
    bool write = false;
    std::string blob;      // what to write, or what was read
    uint32_t error = 0;    // RemoteResult or another Windows error
    bool timedOut = false; // no answer within the time limit: error is meaningless
    // A write that first reads what the server holds, into `previous` (previousError).
    bool readFirst = false;
    std::string previous;
    uint32_t previousError = 0;
    // A write that keeps what it replaces in the server's history first, when the work
    // is KeepThenWriteJob (config/config_history.h): the facts kept with it, and the
    // sentence saying why it could not be kept.
    GenerationFacts keep;
    std::string keepProblem;
    // 4-byte values of the configuration's key beside the blob ("EventLog", ...): a read
    // reads each of `dwordNames` into dwordValues once the server has answered for the
    // blob; a write writes each from dwordValues once the blob is written. dwordErrors
    // gets each one's result (left empty when none was tried).
    std::vector<std::string> dwordNames;
    std::vector<uint32_t> dwordValues;
    std::vector<uint32_t> dwordErrors;
    // A write's read first reads each of `dwordNames` too, before anything is written.
    std::vector<uint32_t> previousDwordValues;
    std::vector<uint32_t> previousDwordErrors;
};

// Told of each job as it ends, on the thread that called RunServerJobs.
class ServerJobObserver {
public:
    virtual void JobEnded(size_t index) = 0;

protected:
    ~ServerJobObserver() = default;
};

struct ServerJobLimits {
    unsigned parallel = 8;       // jobs under way at once
    uint32_t timeoutMs = 15000;  // each job's time from its start
    void* cancelEvent = nullptr; // a Win32 event handle; set, the runner stops waiting
    // What each job does, on its own thread; null: its registry read or write. Returns
    // the job's error.
    uint32_t (*work)(ServerJob& job) = nullptr;
};

// A write's read first: what the server holds into `previous` (previousError), and the
// values of `dwordNames` into previousDwordValues (previousDwordErrors).
void ReadBeforeWrite(ServerJob& job);

// A job's registry read or write (with the read first where asked), what a job does
// when ServerJobLimits::work is null. Returns the job's error.
uint32_t DoRegistryJob(ServerJob& job);

// Runs every job and returns true, or false when cancelled (the jobs not yet ended are
// left as they were, with timedOut set). A job past its time limit is abandoned: its
// thread works on its own copy of the job, freed by whichever of the two lets go last,
// and whatever it still does is never seen.
bool RunServerJobs(std::vector<ServerJob>* jobs, const ServerJobLimits& limits,
                   ServerJobObserver* observer);
