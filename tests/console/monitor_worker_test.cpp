// The server monitor's worker (BackgroundWork running SessionQueryTasks) over a
// stand-in for sentinode.dll whose "HANG" server answers only when the test lets it:
// a hanging query holds nobody else, the threads stay bounded, and every array the
// library hands out is freed exactly once, also after the page has gone.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "console/framework/background_work.h"
#include "console/tools/session_counts.h"

namespace {
const UINT WM_ANSWERS = WM_APP + 1;

// The stand-in library: a query of "HANG" waits for `release`; "NONE" answers null;
// any other server has one active session.
struct StandIn {
    CRITICAL_SECTION lock;
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE entered = CreateSemaphoreA(nullptr, 0, 100, nullptr); // one per HANG call
    // Set while no call is under way and no array is out.
    HANDLE idle = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    std::set<void*> lent;
    int handedOut = 0;
    int freed = 0;
    int badFrees = 0; // twice, or never handed out
    int inCall = 0;
    int mostInCall = 0;

    StandIn() { InitializeCriticalSection(&lock); }
    ~StandIn() {
        CloseHandle(release);
        CloseHandle(entered);
        CloseHandle(idle);
        DeleteCriticalSection(&lock);
    }
};
StandIn* g_library = nullptr;

SentinodeSessionRecord* __cdecl StandInQuery(const char* server, int32_t* count) {
    StandIn& library = *g_library;
    EnterCriticalSection(&library.lock);
    library.mostInCall = std::max(library.mostInCall, ++library.inCall);
    ResetEvent(library.idle);
    LeaveCriticalSection(&library.lock);
    if (std::string(server) == "HANG") {
        ReleaseSemaphore(library.entered, 1, nullptr);
        WaitForSingleObject(library.release, 60000);
    }
    SentinodeSessionRecord* records = nullptr;
    EnterCriticalSection(&library.lock);
    --library.inCall;
    if (std::string(server) != "NONE") {
        records = new SentinodeSessionRecord[1]();
        records[0].state = SESSION_STATE_ACTIVE;
        *count = 1;
        library.lent.insert(records);
        ++library.handedOut;
    }
    if (library.inCall == 0 && library.lent.empty())
        SetEvent(library.idle);
    LeaveCriticalSection(&library.lock);
    return records;
}

void __cdecl StandInFree(void* pointer) {
    StandIn& library = *g_library;
    EnterCriticalSection(&library.lock);
    if (library.lent.erase(pointer) == 1) {
        ++library.freed;
        delete[] static_cast<SentinodeSessionRecord*>(pointer);
    } else {
        ++library.badFrees;
    }
    if (library.inCall == 0 && library.lent.empty())
        SetEvent(library.idle);
    LeaveCriticalSection(&library.lock);
}

const SessionSource STAND_IN = {StandInQuery, StandInFree};
const DWORD AWAIT_MS = 30000; // only against a broken worker: nothing here is timed

class MonitorWorker : public ::testing::Test {
protected:
    void SetUp() override {
        g_library = &library;
        window = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                 nullptr);
        ASSERT_NE(nullptr, window);
    }
    void TearDown() override {
        // Nothing may be left running against the stand-in once it is gone.
        SetEvent(library.release);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(library.idle, AWAIT_MS));
        DestroyWindow(window);
    }
    void Ask(BackgroundWork& work, uint64_t key, const char* server) {
        work.Submit(key, std::unique_ptr<BackgroundTask>(new SessionQueryTask(STAND_IN, server)));
    }
    bool AwaitEntered() { return WaitForSingleObject(library.entered, AWAIT_MS) == WAIT_OBJECT_0; }
    // The answers posted to the window, until `count` have come.
    std::vector<BackgroundWork::Ended> AwaitAnswers(BackgroundWork& work, size_t count) {
        std::vector<BackgroundWork::Ended> all;
        for (DWORD start = GetTickCount();
             all.size() < count && GetTickCount() - start < AWAIT_MS;) {
            MSG msg;
            if (!PeekMessageA(&msg, window, WM_ANSWERS, WM_ANSWERS, PM_REMOVE)) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, AWAIT_MS, QS_POSTMESSAGE);
                continue;
            }
            for (BackgroundWork::Ended& ended : work.TakeEnded())
                all.push_back(std::move(ended));
        }
        return all;
    }

    StandIn library;
    HWND window = nullptr;
};
} // namespace

TEST_F(MonitorWorker, AHangingQueryPastItsLimitHoldsNoOtherAndTheThreadsStayBounded) {
    const BackgroundLimits limits = {2, 3, 1000};
    BackgroundWork work(window, WM_ANSWERS, limits);
    Ask(work, 1, "HANG");
    Ask(work, 2, "HANG");
    Ask(work, 3, "HANG");
    ASSERT_TRUE(AwaitEntered());
    ASSERT_TRUE(AwaitEntered());
    // Two at once: the third waits, and nothing is late yet.
    EXPECT_TRUE(work.TakeOverdue(GetTickCount()).empty());
    EXPECT_EQ(3u, work.Unfinished());

    // Past their limit the two are left to themselves: one more thread, no more.
    std::vector<BackgroundWork::Overdue> late = work.TakeOverdue(GetTickCount() + 60000);
    ASSERT_EQ(2u, late.size());
    EXPECT_EQ(3u, late[0].key + late[1].key);
    ASSERT_TRUE(AwaitEntered()); // the third
    Ask(work, 4, "TS1");
    Ask(work, 5, "NONE");
    EXPECT_TRUE(work.TakeOverdue(GetTickCount()).empty()); // each told once

    SetEvent(library.release);
    std::vector<BackgroundWork::Ended> answers = AwaitAnswers(work, 5);
    ASSERT_EQ(5u, answers.size());
    EXPECT_EQ(3, library.mostInCall);
    for (const BackgroundWork::Ended& ended : answers) {
        const SessionQueryTask& query = static_cast<const SessionQueryTask&>(*ended.task);
        EXPECT_EQ(ended.key != 5, query.Answered()) << ended.key;
        EXPECT_EQ(ended.key != 5 ? 1 : 0, query.Tally().active) << ended.key;
    }
    EXPECT_EQ(0u, work.Unfinished());
    EXPECT_EQ(4, library.freed);
    EXPECT_EQ(0, library.badFrees);
}

TEST_F(MonitorWorker, GoneWithoutWaitingWhileAQueryHangsItsWorkerFreesWhatItGot) {
    {
        BackgroundWork work(window, WM_ANSWERS, BackgroundLimits());
        Ask(work, 1, "HANG");
        ASSERT_TRUE(AwaitEntered());
    } // the owner goes while HANG is still being asked
    EXPECT_EQ(0, library.handedOut);
    SetEvent(library.release);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(library.idle, AWAIT_MS));
    EXPECT_EQ(1, library.handedOut);
    EXPECT_EQ(1, library.freed);
    EXPECT_EQ(0, library.badFrees);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, window, WM_ANSWERS, WM_ANSWERS, PM_REMOVE));
}
