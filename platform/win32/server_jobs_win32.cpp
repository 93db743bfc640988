#include <windows.h>

#include <process.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/server_jobs.h"

namespace {

// A job as its thread sees it. The runner and the thread hold one reference each; the
// one that lets go last frees it, so a thread abandoned past its deadline never writes
// into memory that is gone.
struct SharedJob {
    volatile LONG references = 2;
    ServerJob job;
    uint32_t (*work)(ServerJob& job);
};

void Release(SharedJob* shared) {
    if (InterlockedDecrement(&shared->references) == 0)
        delete shared;
}

unsigned __stdcall RunJob(void* argument) {
    SharedJob* shared = static_cast<SharedJob*>(argument);
    shared->job.error = shared->work(shared->job);
    Release(shared);
    return 0;
}

// A job under way: its thread and the runner's reference.
struct Running {
    size_t index;
    HANDLE thread;
    SharedJob* shared;
    DWORD started;
};

class Runner {
public:
    Runner(std::vector<ServerJob>* jobs, const ServerJobLimits& limits, ServerJobObserver* observer)
        : jobs_(*jobs), limits_(limits), observer_(observer) {
        limits_.parallel = std::max(1u, std::min(limits_.parallel, MAXIMUM_WAIT_OBJECTS - 1u));
    }
    ~Runner() {
        for (Running& one : running_)
            Abandon(one);
    }
    Runner(const Runner&) = delete;
    Runner& operator=(const Runner&) = delete;

    bool Run() {
        size_t next = 0;
        while (next < jobs_.size() || !running_.empty()) {
            while (running_.size() < limits_.parallel && next < jobs_.size())
                Start(next++);
            if (running_.empty())
                continue;
            HANDLE handles[MAXIMUM_WAIT_OBJECTS];
            DWORD count = 0;
            for (const Running& one : running_)
                handles[count++] = one.thread;
            if (limits_.cancelEvent != nullptr)
                handles[count++] = static_cast<HANDLE>(limits_.cancelEvent);
            DWORD woken = WaitForMultipleObjects(count, handles, FALSE, TimeToNextDeadline());
            if (woken >= WAIT_OBJECT_0 && woken < WAIT_OBJECT_0 + running_.size()) {
                Finish(woken - WAIT_OBJECT_0);
            } else if (woken == WAIT_OBJECT_0 + running_.size()) {
                for (size_t i = next; i < jobs_.size(); ++i)
                    jobs_[i].timedOut = true;
                return false; // cancelled: the destructor abandons what still runs
            }
            AbandonLate();
        }
        return true;
    }

private:
    void Start(size_t index) {
        SharedJob* shared = new SharedJob();
        shared->job = jobs_[index];
        shared->work = limits_.work != nullptr ? limits_.work : DoRegistryJob;
        uintptr_t thread = _beginthreadex(nullptr, 0, RunJob, shared, 0, nullptr);
        if (thread == 0) {
            delete shared;
            jobs_[index].error = ERROR_NOT_ENOUGH_MEMORY;
            Tell(index);
            return;
        }
        running_.push_back({index, reinterpret_cast<HANDLE>(thread), shared, GetTickCount()});
    }

    DWORD TimeToNextDeadline() const {
        DWORD now = GetTickCount();
        DWORD wait = INFINITE;
        for (const Running& one : running_) {
            DWORD elapsed = now - one.started; // wraps correctly
            wait = std::min(wait, elapsed >= limits_.timeoutMs ? 0 : limits_.timeoutMs - elapsed);
        }
        return wait;
    }

    // The thread has ended: its copy holds the answer.
    void Finish(size_t position) {
        Running one = running_[position];
        running_.erase(running_.begin() + static_cast<std::ptrdiff_t>(position));
        ServerJob& job = jobs_[one.index];
        job.error = one.shared->job.error;
        job.blob = std::move(one.shared->job.blob);
        job.previous = std::move(one.shared->job.previous);
        job.previousError = one.shared->job.previousError;
        job.dwordValues = std::move(one.shared->job.dwordValues);
        job.dwordErrors = std::move(one.shared->job.dwordErrors);
        CloseHandle(one.thread);
        Release(one.shared);
        Tell(one.index);
    }

    void AbandonLate() {
        DWORD now = GetTickCount();
        for (size_t i = 0; i < running_.size();) {
            if (now - running_[i].started < limits_.timeoutMs) {
                ++i;
                continue;
            }
            Running one = running_[i];
            running_.erase(running_.begin() + static_cast<std::ptrdiff_t>(i));
            Abandon(one);
            Tell(one.index);
        }
    }

    void Abandon(Running& one) {
        jobs_[one.index].timedOut = true;
        CloseHandle(one.thread);
        Release(one.shared);
    }

    void Tell(size_t index) {
        if (observer_ != nullptr)
            observer_->JobEnded(index);
    }

    std::vector<ServerJob>& jobs_;
    ServerJobLimits limits_;
    ServerJobObserver* observer_;
    std::vector<Running> running_;
};

} // namespace

bool RunServerJobs(std::vector<ServerJob>* jobs, const ServerJobLimits& limits,
                   ServerJobObserver* observer) {
    Runner runner(jobs, limits, observer);
    return runner.Run();
}
