#include "document/AliasList.h"

#include <gtest/gtest.h>

namespace xtq {
namespace {

class AliasListTest : public ::testing::Test {
protected:
    TAliasList list;
    void SetUp() override {
        list.Append("x1", "x");
        list.Append("x2", "y");
    }
    TAliasRows Rows() const { return list.Rows(); }
};

TEST_F(AliasListTest, KeysAreUniqueWithoutRegardToCase) {
    const TAliasRows before = Rows();
    try {
        list.Append("X1", "z");
        FAIL();
    } catch (const EKeyConflict& e) {
        EXPECT_EQ(e.message(), "A key with the name of \"X1\" already exists");
    }
    EXPECT_THROW(list.Insert(0, "X2", ""), EKeyConflict);
    EXPECT_THROW(list.SetKey(1, "X1"), EKeyConflict);
    EXPECT_EQ(Rows(), before);
    list.SetKey(0, "X1"); // its own key in another case is fine
    EXPECT_EQ(list.Key(0), "X1");
    EXPECT_EQ(list.IndexOfKey("x2"), 1);
    EXPECT_EQ(list.IndexOfKey("x3"), -1);
}

TEST_F(AliasListTest, KeyWithEqualsSignIsRefused) {
    const TAliasRows before = Rows();
    try {
        list.Append("a=b", "v");
        FAIL();
    } catch (const EKeyEqualsSign& e) {
        EXPECT_EQ(e.message(), "Key may not contain equals sign (\"=\")");
    }
    EXPECT_THROW(list.SetKey(0, "x="), EKeyEqualsSign);
    EXPECT_EQ(Rows(), before);
    list.SetValue(0, "a=b"); // values may hold anything
    EXPECT_EQ(list.Value(0), "a=b");
}

TEST_F(AliasListTest, EmptyKeysAreNotCompared) {
    list.Append("", "v");
    list.Append("", "");
    EXPECT_EQ(list.Count(), 4);
}

TEST_F(AliasListTest, EditorRules) {
    list.Append("", "");
    EXPECT_TRUE(list.CanAddRowAt(1));
    EXPECT_FALSE(list.CanAddRowAt(2)); // its key is empty
    EXPECT_FALSE(list.CanAddRowAt(7));
    EXPECT_FALSE(list.RemoveIfEmpty(0));
    EXPECT_TRUE(list.RemoveIfEmpty(2));
    EXPECT_EQ(list.Count(), 2);
    list.Delete(0);
    EXPECT_EQ(list.Key(0), "x2");
}

TEST_F(AliasListTest, IndexOutOfRange) {
    try {
        list.Key(2);
        FAIL();
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.message(), "List index out of bounds (2)");
    }
    EXPECT_THROW(list.Delete(-1), EStringListError);
    EXPECT_THROW(list.Insert(3, "x5", ""), EStringListError);
}

TEST_F(AliasListTest, ReportsChangesOnlyWhenSomethingChanged) {
    struct Counter : TDocumentListener {
        int changes = 0;
        void AliasListChanged() override { ++changes; }
    } counter;
    TListenerList listeners;
    listeners.Add(&counter);
    list.SetListeners(&listeners);
    list.SetValue(0, "x");
    list.SetKey(0, "x1");
    EXPECT_EQ(counter.changes, 0);
    EXPECT_THROW(list.Append("x1", ""), EKeyConflict);
    EXPECT_EQ(counter.changes, 0);
    list.SetValue(0, "u");
    list.Clear();
    list.Clear();
    EXPECT_EQ(counter.changes, 2);
}

} // namespace
} // namespace xtq
