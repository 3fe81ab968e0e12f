// Pooled strings of this module's own copy of the runtime.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "strings/FrameworkInfo.h"
#include "strings/StringMemoryPool.h"
#include "strings/tString.h"

namespace {

using zul::zulStdString::tBaseString;
using zul::zulStdString::tString;

std::size_t PoolFreeBlocks() {
    return zul::zulStdString::StringMemoryPool().GetAllocator().CountFreeBlocks();
}
std::size_t PoolZones() {
    return zul::zulStdString::StringMemoryPool().GetZoneManager().GetZoneCount();
}

TEST(PooledString, BuildsCopiesAndReleasesBodies) {
    tString empty;
    EXPECT_EQ(empty.Text(), "") << "a new body is empty";
    EXPECT_EQ(tString(static_cast<const char*>(nullptr)).Text(), "") << "a null pointer gives empty text";
    EXPECT_EQ(tString("ab\0cd", 5).size(), 5u) << "byte strings keep zero bytes";
    EXPECT_EQ(tString::FromInteger(-42).Text(), "-42");

    const std::string longText(100, 'z');
    tString original(longText);
    tString copy(original);
    EXPECT_EQ(copy.Text(), longText);
    EXPECT_NE(copy.Body(), original.Body()) << "a copy is a body of its own";
    tString moved(std::move(copy));
    EXPECT_EQ(copy.Body(), nullptr) << "a moved-from handle holds nothing";
    copy = moved;
    EXPECT_EQ(copy.Text(), longText) << "copy-assignment into a moved-from handle";
    copy = copy;
    EXPECT_EQ(copy.Text(), longText) << "self-assignment keeps the text";

    const std::size_t freeBefore = PoolFreeBlocks();
    tBaseString* body = original.Body();
    { tString dropped = std::move(original); }
    EXPECT_EQ(PoolFreeBlocks(), freeBefore + 1) << "dropping a handle returns its body";
    EXPECT_EQ(tBaseString::allocFnImp(), static_cast<void*>(body)) << "and the pool hands it out next";
    tBaseString::freeFnImp(body);
}

TEST(PooledString, NullStringIsRecognisedByBufferOrByItsTenBytes) {
    const tString& null = tString::NullString();
    EXPECT_TRUE(null.IsNull()) << "the singleton";
    EXPECT_EQ(null.size(), 10u);
    EXPECT_TRUE(tString(std::string_view("NULL\0NULL\0", 10)).IsNull()) << "an equal 10-byte text";
    EXPECT_FALSE(tString("NULL").IsNull()) << "\"NULL\" alone is an ordinary text";
    EXPECT_FALSE(tString(std::string_view("NULL\0NULX\0", 10)).IsNull()) << "one byte differs";
    EXPECT_TRUE(tString(null).IsNull()) << "a copy of the null string";

    EXPECT_EQ((tString("x") + null).Text(), "xNull") << "the null string appends as Null";
    EXPECT_EQ((tString("x") + tString("y")).Text(), "xy");
    tString self("ab");
    self.Append(self);
    EXPECT_EQ(self.Text(), "abab") << "appending a string to itself";
}

TEST(PooledString, ReplaceAllReplacesEveryOccurrenceOnce) {
    EXPECT_EQ(tString("%1 and %1").ReplaceAll("%1", "x").Text(), "x and x");
    EXPECT_EQ(tString("aaa").ReplaceAll("a", "aa").Text(), "aaaaaa") << "replacements are not rescanned";
    EXPECT_EQ(tString("abc").ReplaceAll("", "x").Text(), "abc") << "an empty pattern changes nothing";
    EXPECT_EQ(tString("abc").ReplaceAll("zz", "x").Text(), "abc");
    EXPECT_EQ(tString("%2%2").ReplaceAll("%2", "").Text(), "");
}

TEST(PooledString, BodiesBeyondOneZoneTakeASecondZone) {
    const std::size_t zonesBefore = PoolZones();
    const std::size_t freeBefore = PoolFreeBlocks();
    std::vector<void*> bodies;
    for (int i = 0; i < 65537; ++i) bodies.push_back(tBaseString::allocFnImp());
    const std::size_t needed = freeBefore >= 65537 ? 0 : (65537 - freeBefore + 65535) / 65536;
    EXPECT_EQ(PoolZones() - zonesBefore, needed) << "zones of 65536 bodies";
    if (zonesBefore == 0) {
        EXPECT_EQ(PoolZones(), 2u) << "from a fresh process, exactly two zones";
    }
    for (void* body : bodies) tBaseString::freeFnImp(body);
    auto* info = zul::zulStdString::StringMemoryPool().GetInfo();
    EXPECT_EQ(info->name, "myStringMemoryPool");
    EXPECT_EQ(info->blockSize, 40u);
    EXPECT_EQ(info->options, 3088u) << "the locked pool's option word";
}

TEST(FrameworkInfo, RecordsTheStringPoolOptionAtLoad) {
    auto& info = zul::FrameworkInfo::Instance();
    EXPECT_EQ(info.GetVersion().fullString, "0.6.12 (26071)");
    EXPECT_EQ(info.GetValues("option").count("zulStringPool"), 1u) << "recorded by the load-time object";
    static int run = 0;  // the record only grows: a key of this run's own
    const std::string key = "test key " + std::to_string(run++);
    info.Record(key, "a");
    info.Record(key, "b");
    EXPECT_EQ(info.GetText(key), "a, b") << "values joined in the order added";
    EXPECT_EQ(info.GetValues(key).size(), 2u);
}

}  // namespace
