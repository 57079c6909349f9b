#include "recorder/free_space_watch.h"

#include <gtest/gtest.h>

using namespace suite;

namespace {

constexpr uint64_t kMB = 1024 * 1024;

FolderRoom Room(const char* folder, uint64_t freeBytes) { return FolderRoom{folder, true, freeBytes}; }
FolderRoom Unknown(const char* folder) { return FolderRoom{folder, false, 0}; }

// One reading at nowSeconds: the folder the bar is to name, or "" for none.
std::string Read(FreeSpaceWatch& watch, int64_t now, const FolderRoom& record, const FolderRoom& emergency) {
    FolderRoom warning;
    return watch.OnReading(now, record, emergency, &warning) ? warning.folder : "";
}

}  // namespace

TEST(FreeSpaceWatchTest, NeedsAnHourOfTheFormatAndAtLeastTheMinimum) {
    EXPECT_EQ(FreeSpaceWatch(2).NeededBytes(), FreeSpaceWatch::kMinimumRoom);
    EXPECT_EQ(FreeSpaceWatch(0).NeededBytes(), FreeSpaceWatch::kMinimumRoom);
    EXPECT_EQ(BytesPerHour(0), 57600000u);
    EXPECT_GT(BytesPerHour(1), BytesPerHour(2));
    EXPECT_GT(BytesPerHour(2), BytesPerHour(3));
}

TEST(FreeSpaceWatchTest, AsksTheDrivesAtStartThenEveryFewMinutes) {
    FreeSpaceWatch watch(2);
    EXPECT_TRUE(watch.TimeToMeasure(100));
    EXPECT_FALSE(watch.TimeToMeasure(100));
    EXPECT_FALSE(watch.TimeToMeasure(100 + FreeSpaceWatch::kMeasureSeconds - 1));
    EXPECT_TRUE(watch.TimeToMeasure(100 + FreeSpaceWatch::kMeasureSeconds));
    EXPECT_FALSE(watch.TimeToMeasure(101 + FreeSpaceWatch::kMeasureSeconds));
}

TEST(FreeSpaceWatchTest, WarnsOfTheShortestDriveAgainOnlyWhenWorseOrAnHourAfterClosing) {
    FreeSpaceWatch watch(2);
    const uint64_t need = watch.NeededBytes();
    const FolderRoom plenty = Room("非常用フォルダー\\", 50000 * kMB);
    EXPECT_EQ(Read(watch, 0, Room("通話記録\\", need), plenty), "") << "exactly enough";
    EXPECT_EQ(Read(watch, 300, Room("通話記録\\", need - 2), plenty), "通話記録\\");
    // Told: the same shortage, down to half of it, is not told again.
    EXPECT_EQ(Read(watch, 600, Room("通話記録\\", 90 * kMB), plenty), "");
    EXPECT_EQ(Read(watch, 900, Room("通話記録\\", need / 2 - 1), plenty), "");
    // Below half of the room told: worse.
    EXPECT_EQ(Read(watch, 1200, Room("通話記録\\", need / 2 - 2), plenty), "通話記録\\");
    // Closed by the user: back an hour later, not before.
    watch.OnClosed(1500);
    EXPECT_EQ(Read(watch, 1500 + FreeSpaceWatch::kRepeatSeconds - 1, Room("通話記録\\", need / 2 - 2), plenty), "");
    EXPECT_EQ(Read(watch, 1500 + FreeSpaceWatch::kRepeatSeconds, Room("通話記録\\", need / 2 - 2), plenty),
              "通話記録\\");
    // Room again, then short again: told afresh.
    EXPECT_EQ(Read(watch, 6000, Room("通話記録\\", need), plenty), "");
    EXPECT_EQ(Read(watch, 6300, Room("通話記録\\", need - 1), plenty), "通話記録\\");

    // The emergency folder's drive counts too; the shorter of two is named.
    FreeSpaceWatch both(2);
    EXPECT_EQ(Read(both, 0, Room("D:\\rec\\", 80 * kMB), Room("非常用フォルダー\\", 10 * kMB)), "非常用フォルダー\\");
}

TEST(FreeSpaceWatchTest, AShareThatCannotBeAskedIsNeverFull) {
    FreeSpaceWatch watch(2);
    EXPECT_EQ(Read(watch, 0, Unknown("\\\\nas\\rec\\"), Room("非常用フォルダー\\", 50000 * kMB)), "");
    EXPECT_EQ(Read(watch, 300, Unknown("\\\\nas\\rec\\"), Room("非常用フォルダー\\", kMB)), "非常用フォルダー\\");
}
