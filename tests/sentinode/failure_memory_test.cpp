// The failure memory of sentinode.dll: what keeps a polling console from waiting for
// an unreachable server's timeout on every tick, without ever holding back a server
// that answers.
#include "sentinode/failure_memory.h"

#include <gtest/gtest.h>

TEST(ServerFailureMemory, HoldsAFailedServerForThirtySecondsThenLetsItTryAgain) {
    ServerFailureMemory memory;
    EXPECT_FALSE(memory.IsHeld("TS1", 1000));
    memory.NoteFailure("TS1", 1000);
    EXPECT_TRUE(memory.IsHeld("TS1", 1000));
    EXPECT_TRUE(memory.IsHeld("ts1", 30999)); // names without case
    EXPECT_FALSE(memory.IsHeld("TS2", 2000));
    EXPECT_FALSE(memory.IsHeld("TS", 2000));
    EXPECT_FALSE(memory.IsHeld("TS1", 31000));
    EXPECT_EQ(0u, memory.HeldCount()); // forgotten once the hold ran out

    // A failure again restarts the hold from the new failure.
    memory.NoteFailure("TS1", 40000);
    memory.NoteFailure("TS1", 60000);
    EXPECT_TRUE(memory.IsHeld("TS1", 80000));
    EXPECT_EQ(1u, memory.HeldCount());
}

TEST(ServerFailureMemory, AnAnswerEndsTheHoldAndTheTickCounterMayWrap) {
    ServerFailureMemory memory;
    memory.NoteFailure("TS1", 5000);
    memory.NoteSuccess("Ts1");
    EXPECT_FALSE(memory.IsHeld("TS1", 5001));

    // A failure just before the 32-bit tick counter wraps is held across the wrap.
    memory.NoteFailure("TS9", 0xFFFFF000u);
    EXPECT_TRUE(memory.IsHeld("TS9", 0x00001000u));
    EXPECT_FALSE(memory.IsHeld("TS9", 0xFFFFF000u + 30000u));
    EXPECT_FALSE(memory.IsHeld(nullptr, 0));
}

TEST(ServerFailureMemory, EachHoldEndsOnItsOwnTimeWhicheverServerIsAskedFor) {
    ServerFailureMemory memory;
    memory.NoteFailure("TS1", 1000);
    memory.NoteFailure("TS2", 20000);
    memory.NoteFailure("TS1", 25000); // TS1's hold starts again
    EXPECT_FALSE(memory.IsHeld("TS3", 45000));
    EXPECT_EQ(2u, memory.HeldCount());
    EXPECT_FALSE(memory.IsHeld("TS3", 50000)); // TS2's hold has run out, TS1's not
    EXPECT_EQ(1u, memory.HeldCount());
    EXPECT_TRUE(memory.IsHeld("ts1", 54999));
    EXPECT_FALSE(memory.IsHeld("TS1", 55000));
    EXPECT_EQ(0u, memory.HeldCount());
}
