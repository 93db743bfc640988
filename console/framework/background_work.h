// Work that may wait on the network, kept off the user-interface thread so that the
// window never stops answering.
//
// A BackgroundWork runs tasks on worker threads, at most `parallel` at once. A task
// still running past its time limit is left to end on its own: it no longer counts
// against `parallel`, so the tasks behind it go on, but no more than `maxThreads`
// threads are ever alive, left-behind ones included. Ended tasks come back on the
// window's thread: the window is posted `message` (once, until it takes them) and
// takes them with TakeEnded.
//
// Destroying a BackgroundWork never waits: queued tasks are dropped unrun, and a task
// still running is deleted on its own thread when it ends, its result unseen.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class BackgroundTask {
public:
    virtual ~BackgroundTask() = default;
    // Runs on a worker thread: touches nothing of the window's thread, throws nothing.
    virtual void Run() = 0;
};

struct BackgroundLimits {
    unsigned parallel = 8;
    unsigned maxThreads = 32;
    DWORD timeLimitMs = 10000; // from the task's start
};

class BackgroundWork {
public:
    BackgroundWork(HWND window, UINT message, const BackgroundLimits& limits);
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    struct Job {
        uint64_t key; // the caller's name for the task; keys need not be unique
        std::unique_ptr<BackgroundTask> task;
    };
    // Queues the tasks, in order (many at once take the workers' lock once).
    void Submit(std::vector<Job> jobs);
    void Submit(uint64_t key, std::unique_ptr<BackgroundTask> task);

    struct Ended {
        uint64_t key;
        SYSTEMTIME started; // local time the task started
        std::unique_ptr<BackgroundTask> task;
    };
    // The tasks that have ended since the last call, in the order they ended.
    std::vector<Ended> TakeEnded();

    struct Overdue {
        uint64_t key;
        SYSTEMTIME started;
    };
    // The tasks that at `now` (a GetTickCount value) have run past their time limit, each
    // told once; the threads they hold are left to them and others take the queue.
    std::vector<Overdue> TakeOverdue(DWORD now);

    // Tasks queued or running (left-behind ones included).
    size_t Unfinished() const;

private:
    struct Shared;
    Shared* shared_;
};
