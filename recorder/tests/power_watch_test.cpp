#include "recorder/power_watch.h"

#include <gtest/gtest.h>

#include <string>

using namespace suite;

namespace {

// Every request as it reached the system: "+" held, "-" given back.
class FakeAwake : public SystemAwake {
public:
    std::string calls;
    void Hold(bool awake) override { calls += awake ? "+" : "-"; }
};

}  // namespace

TEST(PowerWatchTest, HoldsTheSystemAwakeFromStartToEnd) {
    FakeAwake awake;
    {
        PowerWatch watch(&awake);
        EXPECT_EQ(awake.calls, "") << "nothing asked before the recorder listens";
        watch.Start();
        watch.Start();
        EXPECT_EQ(awake.calls, "+");
        watch.End();
        EXPECT_EQ(awake.calls, "+-");
        watch.End();
    }
    EXPECT_EQ(awake.calls, "+-") << "given back once";
    {
        PowerWatch watch(&awake);
        watch.Start();
    }
    EXPECT_EQ(awake.calls, "+-+-") << "a watch that goes gives the request back";
}

TEST(PowerWatchTest, TellsOnceForEachSleep) {
    PowerWatch watch(nullptr);
    // Suspend, then the system's resume and the user's resume.
    watch.OnSuspend();
    EXPECT_TRUE(watch.OnResume(1000));
    EXPECT_FALSE(watch.OnResume(1002));
    // The next sleep, a minute later, is told again.
    watch.OnSuspend();
    EXPECT_TRUE(watch.OnResume(1040));
    EXPECT_FALSE(watch.OnResume(1041));
    // A sleep without its suspend event (a closed lid): the first resume tells.
    EXPECT_TRUE(watch.OnResume(5000));
    EXPECT_FALSE(watch.OnResume(5000 + PowerWatch::kSameResumeSeconds));
    EXPECT_TRUE(watch.OnResume(5000 + PowerWatch::kSameResumeSeconds + 1));
}
