// PtrArray, HeapString and StringList.
#include <gtest/gtest.h>

#include <string>

#include "support/heap_string.h"
#include "support/ptr_array.h"
#include "support/string_list.h"

namespace {
int g_items[40];
}

TEST(PtrArray, StartsAtEightDoublesAndKeepsOrder) {
    support::PtrArray array;
    EXPECT_EQ(0, array.Capacity());
    for (int i = 0; i < 17; ++i) {
        ASSERT_TRUE(array.Append(&g_items[i]));
        EXPECT_EQ(i < 8 ? 8 : (i < 16 ? 16 : 32), array.Capacity()) << i;
    }
    EXPECT_EQ(17, array.Count());
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(&g_items[i], array.GetAt(i));
    }
    // A directory's worth of items: the capacity stays within twice the count.
    for (int i = 17; i < 100000; ++i) {
        ASSERT_TRUE(array.Append(&g_items[i % 40]));
    }
    EXPECT_EQ(131072, array.Capacity());
    EXPECT_EQ(&g_items[99999 % 40], array.GetAt(99999));
}

TEST(PtrArray, InsertShiftsItems) {
    support::PtrArray array;
    array.Append(&g_items[0]);
    array.Append(&g_items[2]);
    EXPECT_TRUE(array.InsertAt(1, &g_items[1]));
    EXPECT_TRUE(array.InsertAt(3, &g_items[3]));  // at Count() appends
    EXPECT_FALSE(array.InsertAt(5, &g_items[9]));
    ASSERT_EQ(4, array.Count());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(&g_items[i], array.GetAt(i));
    }
    array.Clear();
    EXPECT_EQ(0, array.Count());
    EXPECT_EQ(0, array.Capacity());
}

TEST(HeapString, ReallocatesOnlyWhenTooSmall) {
    support::HeapString text;
    EXPECT_STREQ("", text.Text());
    EXPECT_EQ(1u, text.Capacity());
    text.Assign("hello");
    EXPECT_EQ(6u, text.Capacity());
    text.Assign("hi");
    EXPECT_EQ(6u, text.Capacity());
    EXPECT_STREQ("hi", text.Text());
    support::HeapString copy(text);
    copy = copy;
    EXPECT_STREQ("hi", copy.Text());
    EXPECT_EQ(3u, copy.Capacity());
}

TEST(StringList, OwnsCopies) {
    support::StringList list;
    std::string source = "C:\\one.dll";
    list.AppendCopy(source.c_str());
    source[3] = 'X';
    list.AppendCopy("two");
    ASSERT_EQ(2, list.Count());
    EXPECT_STREQ("C:\\one.dll", list.At(0));
    list.ClearAll();
    EXPECT_EQ(0, list.Count());
}

TEST(StringList, HoldsTextsWhateverTheirCaseAlsoOnceIndexed) {
    support::StringList list;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 40; ++i) {
            list.AppendCopy(("C:\\App\\File" + std::to_string(i) + ".dll").c_str());
            // Asked at every length: below the index's threshold, at its
            // making, and while texts are added after it.
            EXPECT_TRUE(
                list.HoldsIgnoringCase(("c:\\app\\FILE" + std::to_string(i) + ".DLL").c_str()));
            EXPECT_FALSE(
                list.HoldsIgnoringCase(("C:\\App\\File" + std::to_string(i + 1) + ".dll").c_str()));
        }
        EXPECT_FALSE(list.HoldsIgnoringCase("C:\\App\\File1.dl"));
        list.ClearAll();
        EXPECT_FALSE(list.HoldsIgnoringCase("C:\\App\\File1.dll"));
    }
}
