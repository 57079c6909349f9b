#include "common/run_entry.h"

#include <gtest/gtest.h>

using namespace suite;

TEST(RunEntryTest, TheValueIsTheQuotedFullPath) {
    EXPECT_EQ(RunEntryCommand(u"C:\\Users\\sato\\Documents\\callrecorder\\Corvinet.exe"),
              u"\"C:\\Users\\sato\\Documents\\callrecorder\\Corvinet.exe\"");
}

TEST(RunEntryTest, OnlyAValueStartingThisVeryCopyIsOurs) {
    const std::u16string exe = u"C:\\Users\\佐藤\\Documents\\call recorder\\Corvinet.exe";
    struct Case {
        const char16_t* value;
        RunEntryOwner owner;
    } cases[] = {
        {u"\"C:\\Users\\佐藤\\Documents\\call recorder\\Corvinet.exe\"", RunEntryOwner::ThisCopy},
        {u"  \"c:/users/佐藤/documents/CALL RECORDER/corvinet.EXE\" /min", RunEntryOwner::ThisCopy},
        {u"C:\\Users\\佐藤\\Documents\\call recorder\\Corvinet.exe ", RunEntryOwner::ThisCopy},
        {u"\"D:\\callrecorder\\Corvinet.exe\"", RunEntryOwner::OtherCopy},
        {u"\"C:\\Users\\佐藤\\Documents\\call recorder\\Corvinet.exe.bak\"", RunEntryOwner::OtherCopy},
        {u"\"C:\\Users\\佐藤\\Documents\\call\"", RunEntryOwner::OtherCopy},
        {u"", RunEntryOwner::OtherCopy},
    };
    for (const Case& c : cases) {
        std::u16string value = c.value;
        EXPECT_EQ(OwnerOfRunEntry(&value, exe), c.owner) << static_cast<int>(&c - cases);
    }
    EXPECT_EQ(OwnerOfRunEntry(nullptr, exe), RunEntryOwner::None);
}
