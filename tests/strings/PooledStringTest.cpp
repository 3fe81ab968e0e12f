// Pooled strings of this module's own copy of the runtime.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/Platform.h"
#include "strings/FrameworkInfo.h"
#include "strings/StringMemoryPool.h"
#include "strings/tString.h"

namespace {

using zul::zulStdString::tBaseString;
using zul::zulStdString::tString;

std::size_t PoolFreeBlocks() {
    return zul::zulStdString::CountFreeBodyBlocks();
}

TEST(PooledString, BuildsCopiesAndReleasesBodies) {
    EXPECT_EQ(tString().Text(), "") << "a new body is empty";
    EXPECT_EQ(tString(static_cast<const char*>(nullptr)).Text(), "") << "a null pointer gives empty text";
    EXPECT_EQ(tString("ab\0cd", 5).size(), 5u) << "byte strings keep zero bytes";
    EXPECT_EQ(tString::FromInteger(-42).Text(), "-42");

    const std::string longText(100, 'z');
    tString original(longText);
    tString copy(original);
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

    // A body made in place (a module's static string) needs no pool; its copies are pool bodies.
    alignas(8) unsigned char storage[sizeof(tBaseString)];
    {
        tString kept = tString::Adopt(tBaseString::NewInPlace(storage));
        EXPECT_EQ(PoolFreeBlocks(), freeBefore + 1) << "made without the pool";
        kept.Append("text that needs a heap buffer of its own");
        { tString copy(kept); }
        EXPECT_EQ(PoolFreeBlocks(), freeBefore + 1) << "its copy went back to the pool";
    }
    EXPECT_EQ(reinterpret_cast<tBaseString*>(storage)->size(), 0u) << "its release empties it in place";
}

TEST(PooledString, NullStringAppendAndReplace) {
    const tString& null = tString::NullString();
    EXPECT_TRUE(null.IsNull()) << "the singleton";
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(null.Body()) % zul::platform::kCacheLineSize, 0u)
        << "on a cache line of its own, not a pool block beside bodies other threads write";
    EXPECT_TRUE(tString(null).IsNull()) << "a copy of the null string";
    EXPECT_TRUE(tString(std::string_view("NULL\0NULL\0", 10)).IsNull()) << "an equal 10-byte text";
    EXPECT_FALSE(tString("NULL").IsNull()) << "\"NULL\" alone is an ordinary text";
    EXPECT_FALSE(tString(std::string_view("NULL\0NULX\0", 10)).IsNull()) << "one byte differs";
    EXPECT_EQ((tString("x") + null).Text(), "xNull") << "the null string appends as Null";
    tString self("ab");
    self.Append(self);
    EXPECT_EQ(self.Text(), "abab") << "appending a string to itself";

    EXPECT_EQ(tString("%1 and %1").ReplaceAll("%1", "x").Text(), "x and x");
    EXPECT_EQ(tString("aaa").ReplaceAll("a", "aa").Text(), "aaaaaa") << "replacements are not rescanned";
    EXPECT_EQ(tString("abc").ReplaceAll("", "x").Text(), "abc") << "an empty pattern changes nothing";
}

TEST(FrameworkInfo, RecordsTheStringPoolOptionAtLoad) {
    EXPECT_EQ(zul::FrameworkInfo::Instance().GetValues("option").count("zulStringPool"), 1u);
}

}  // namespace
