#include <gtest/gtest.h>

#include "app/ApplyProgress.h"
#include "platform/fake/ManualScheduler.h"

namespace q9 {
namespace {

TEST(ApplyProgress, NineTicksTo90OneSecondAt91ThenHidden) {
  ManualScheduler clock;
  ApplyProgress progress(clock);
  int processed = 0;
  progress.ProcessMessages = [&] { ++processed; };
  progress.Start(ApplyProgress::kNormalIntervalMs);
  EXPECT_TRUE(progress.Visible());
  for (int tick = 1; tick <= 9; ++tick) {
    clock.Advance(100);
    EXPECT_EQ(progress.Value(), 10 * tick);
  }
  clock.Advance(100);
  EXPECT_EQ(progress.Value(), 91);
  EXPECT_EQ(progress.IntervalMs(), 1000);
  clock.Advance(999);
  EXPECT_EQ(progress.Value(), 91) << "the bar waits one second at 91";
  EXPECT_TRUE(progress.Visible());
  clock.Advance(1);
  EXPECT_FALSE(progress.Visible());
  EXPECT_EQ(progress.Value(), 0);
  EXPECT_FALSE(progress.Running());
  EXPECT_EQ(processed, 11) << "pending messages run after every tick";
}

TEST(ApplyProgress, SlowerAfterARateChangeAndTheWaitHappensOncePerRun) {
  ManualScheduler clock;
  ApplyProgress progress(clock);
  progress.Start(ApplyProgress::kRateChangeIntervalMs);
  clock.Advance(9 * 200);
  EXPECT_EQ(progress.Value(), 90);
  clock.Advance(200 + 1000);
  EXPECT_FALSE(progress.Visible());
  progress.Start(ApplyProgress::kNormalIntervalMs);  // the next apply
  clock.Advance(10 * 100 + 1000);
  EXPECT_FALSE(progress.Visible());
  EXPECT_EQ(clock.Now(), 9 * 200 + 1200 + 2000);
}

TEST(ApplyProgress, CloseAfterOkWaitsForTheBarToDisappear) {
  ManualScheduler clock;
  ApplyProgress progress(clock);
  int closed = 0;
  progress.Start(ApplyProgress::kNormalIntervalMs);
  progress.CloseWhenHidden([&] { ++closed; });
  clock.Advance(1500);
  EXPECT_EQ(closed, 0) << "still waiting at 91";
  clock.Advance(500);  // the bar hides at 2000 ms, when Timer2 may still find it shown
  clock.Advance(500);
  EXPECT_EQ(closed, 1);
  clock.Advance(5000);
  EXPECT_EQ(closed, 1) << "Timer2 stops after closing";
}

}  // namespace
}  // namespace q9
