#include "console/framework/background_work.h"

#include <process.h>

#include <deque>
#include <iterator>
#include <list>
#include <utility>

namespace {
class Locked {
public:
    explicit Locked(CRITICAL_SECTION& lock) : lock_(lock) { EnterCriticalSection(&lock_); }
    ~Locked() { LeaveCriticalSection(&lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CRITICAL_SECTION& lock_;
};
} // namespace

// Everything the owner and the workers share, behind one lock. The owner holds one
// reference and every worker thread one; the last to let go frees it, so a worker left
// behind never writes into memory that is gone.
struct BackgroundWork::Shared {
    using Queued = Job;
    struct Running {
        uint64_t key;
        DWORD startTick;
        SYSTEMTIME started;
        bool overdue;
    };

    Shared(HWND window, UINT message, const BackgroundLimits& limits)
        : window(window), message(message), limits(limits) {
        if (this->limits.parallel == 0)
            this->limits.parallel = 1;
        if (this->limits.maxThreads < this->limits.parallel)
            this->limits.maxThreads = this->limits.parallel;
        InitializeCriticalSection(&lock);
    }
    ~Shared() { DeleteCriticalSection(&lock); }

    // With the lock held: a thread for each queued task no thread is free to take,
    // within the limits.
    void StartThreads() {
        while (!closed && queue.size() > threads - running.size() &&
               threads - overdue < limits.parallel && threads < limits.maxThreads) {
            ++threads;
            ++references;
            uintptr_t thread = _beginthreadex(nullptr, 0, Work, this, 0, nullptr);
            if (thread == 0) {
                --threads;
                --references;
                return; // the queue waits for a thread that ends
            }
            CloseHandle(reinterpret_cast<HANDLE>(thread));
        }
    }

    // With the lock held: lets go of one reference; true when it was the last.
    bool Release() { return --references == 0; }

    static unsigned __stdcall Work(void* argument) {
        Shared* shared = static_cast<Shared*>(argument);
        shared->TakeTasks();
        return 0;
    }

    void TakeTasks() {
        EnterCriticalSection(&lock);
        // A thread beyond `parallel` (one whose task came back after its limit) ends.
        while (!closed && !queue.empty() && threads - overdue <= limits.parallel) {
            Queued next = std::move(queue.front());
            queue.pop_front();
            Running start = {next.key, GetTickCount(), {}, false};
            GetLocalTime(&start.started);
            auto mine = running.insert(running.end(), start);
            LeaveCriticalSection(&lock);

            next.task->Run();

            EnterCriticalSection(&lock);
            if (mine->overdue)
                --overdue;
            SYSTEMTIME started = mine->started;
            running.erase(mine);
            if (closed) {
                // Nobody takes it: freed here, outside the lock.
                LeaveCriticalSection(&lock);
                next.task.reset();
                EnterCriticalSection(&lock);
                continue;
            }
            ended.push_back({next.key, started, std::move(next.task)});
            // A message that could not be posted (a full queue) is tried again at the
            // next end; until then the ended wait for the owner's next TakeEnded.
            if (!posted)
                posted = PostMessageA(window, message, 0, 0) != FALSE;
        }
        --threads;
        bool last = Release();
        LeaveCriticalSection(&lock);
        if (last)
            delete this;
    }

    CRITICAL_SECTION lock;
    unsigned references = 1;
    HWND window;
    UINT message;
    BackgroundLimits limits;
    bool closed = false;
    bool posted = false; // a message is on its way: no other until the ended are taken
    std::deque<Queued> queue;
    std::list<Running> running;
    std::vector<Ended> ended;
    unsigned threads = 0; // worker threads alive
    unsigned overdue = 0; // of them, those on a task past its limit
};

BackgroundWork::BackgroundWork(HWND window, UINT message, const BackgroundLimits& limits)
    : shared_(new Shared(window, message, limits)) {}

BackgroundWork::~BackgroundWork() {
    std::deque<Shared::Queued> dropped;
    std::vector<Ended> unseen;
    bool last;
    {
        Locked locked(shared_->lock);
        shared_->closed = true;
        dropped.swap(shared_->queue);
        unseen.swap(shared_->ended);
        last = shared_->Release();
    }
    if (last)
        delete shared_;
    // `dropped` and `unseen` are freed here, on the owner's thread.
}

void BackgroundWork::Submit(std::vector<Job> jobs) {
    Locked locked(shared_->lock);
    for (Job& job : jobs)
        if (job.task != nullptr)
            shared_->queue.push_back(std::move(job));
    shared_->StartThreads();
}

void BackgroundWork::Submit(uint64_t key, std::unique_ptr<BackgroundTask> task) {
    std::vector<Job> one;
    one.push_back({key, std::move(task)});
    Submit(std::move(one));
}

std::vector<BackgroundWork::Ended> BackgroundWork::TakeEnded() {
    std::vector<Ended> taken;
    Locked locked(shared_->lock);
    taken.swap(shared_->ended);
    shared_->posted = false;
    return taken;
}

std::vector<BackgroundWork::Overdue> BackgroundWork::TakeOverdue(DWORD now) {
    std::vector<Overdue> late;
    Locked locked(shared_->lock);
    for (Shared::Running& one : shared_->running) {
        // Signed: a task started after `now` was read has not run at all yet.
        const int32_t ran = static_cast<int32_t>(now - one.startTick);
        if (one.overdue || ran < static_cast<int32_t>(shared_->limits.timeLimitMs))
            continue;
        one.overdue = true;
        ++shared_->overdue;
        late.push_back({one.key, one.started});
    }
    shared_->StartThreads();
    return late;
}

size_t BackgroundWork::Unfinished() const {
    Locked locked(shared_->lock);
    return shared_->queue.size() + shared_->running.size();
}
