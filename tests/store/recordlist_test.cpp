#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>
#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>
#include "records/recordlist.h"

namespace {

std::string ListText(RecordList head)
{
    std::string out;
    for (ListNode *n = head; n; n = n->next)
        out += std::string((const char *)n->record, n->size);
    return out;
}

void AddText(RecordList *head, const char *s) { ASSERT_EQ(ListAdd(head, s, (uint32_t)strlen(s)), 0); }

TEST(RecordList, AddKeepsTheHeadAndPutsEachNewRecordSecond)
{
    RecordList list = 0;
    AddText(&list, "A");
    EXPECT_EQ(ListText(list), "A");
    EXPECT_EQ(list->prev, nullptr);
    AddText(&list, "B");
    AddText(&list, "C");
    AddText(&list, "D");
    EXPECT_EQ(ListText(list), "ADCB");
    // The back links mirror the forward ones.
    ListNode *last = list;
    while (last->next)
        last = last->next;
    std::string backwards;
    for (ListNode *n = last; n; n = n->prev)
        backwards += *(const char *)n->record;
    EXPECT_EQ(backwards, "BCDA");
    ListFreeAll(&list);
    EXPECT_EQ(list, nullptr);
}

TEST(RecordList, RecordIsAnOwnedCopy)
{
    RecordList list = 0;
    char text[] = "memo";
    ASSERT_EQ(ListAdd(&list, text, sizeof text), 0);
    text[0] = 'X';
    EXPECT_STREQ((const char *)list->record, "memo");
    EXPECT_EQ(list->size, sizeof text);
    ListFreeAll(&list);
}

TEST(RecordList, InsertUnlinkAndFree)
{
    RecordList list = 0;
    AddText(&list, "A");
    AddText(&list, "C");   // A C
    RecordList b = 0;
    AddText(&b, "B");
    EXPECT_EQ(ListInsertAfter(list, b), 0);
    EXPECT_EQ(ListText(list), "ABC");
    EXPECT_EQ(b->next->prev, b);

    EXPECT_EQ(ListInsertAfter(nullptr, b), 3);
    EXPECT_EQ(ListInsertAfter(list, nullptr), 3);
    EXPECT_EQ(ListText(list), "ABC");

    EXPECT_EQ(ListUnlink(b), b);
    EXPECT_EQ(b->prev, nullptr);
    EXPECT_EQ(b->next, nullptr);
    EXPECT_EQ(ListText(list), "AC");
    EXPECT_EQ(list->next->prev, list);
    ListFreeNode(b);
    ListFreeNode(nullptr);

    // Removing the head: the caller moves the head link first.
    ListNode *oldHead = list;
    list = list->next;
    ListFreeNode(oldHead);
    EXPECT_EQ(ListText(list), "C");
    EXPECT_EQ(list->prev, nullptr);
    ListFreeAll(&list);
}

TEST(RecordList, FreeAllReleasesNodesBeforeTheHead)
{
    RecordList empty = 0;
    ListFreeAll(&empty);
    EXPECT_EQ(empty, nullptr);

    RecordList list = 0;
    for (const char *s : {"A", "B", "C", "D", "E"})
        AddText(&list, s);
    // Hand ListFreeAll a link to a middle node; the sanitizer build reports
    // any node left behind on either side.
    RecordList middle = list->next->next;
    ListFreeAll(&middle);
    EXPECT_EQ(middle, nullptr);
}

// ---- KeyTree ----

struct Payload {
    int32_t key;
    uint32_t serial;
};

// Returns the black height, or -1 after reporting a broken invariant.
int CheckSubtree(const TreeNode *node, int64_t low, int64_t high, int depth, int *maxDepth)
{
    if (!node)
        return 1;
    *maxDepth = std::max(*maxDepth, depth);
    EXPECT_GT((int64_t)node->key, low);
    EXPECT_LT((int64_t)node->key, high);
    EXPECT_EQ(((const Payload *)node->record)->key, node->key) << "record travelled without its key";
    if (node->colour == TREE_RED) {
        EXPECT_FALSE(node->left && node->left->colour == TREE_RED) << "red child of red " << node->key;
        EXPECT_FALSE(node->right && node->right->colour == TREE_RED) << "red child of red " << node->key;
    } else {
        EXPECT_EQ(node->colour, TREE_BLACK);
    }
    int l = CheckSubtree(node->left, low, node->key, depth + 1, maxDepth);
    int r = CheckSubtree(node->right, node->key, high, depth + 1, maxDepth);
    EXPECT_EQ(l, r) << "black heights differ below " << node->key;
    if (l < 0 || r < 0 || l != r)
        return -1;
    return l + (node->colour == TREE_BLACK);
}

void CheckTree(KeyTree root, size_t count)
{
    if (root) {
        EXPECT_EQ(root->colour, TREE_BLACK);
    }
    int maxDepth = 0;
    CheckSubtree(root, (int64_t)INT32_MIN - 1, (int64_t)INT32_MAX + 1, 1, &maxDepth);
    double bound = 2 * std::log2((double)count + 1);
    EXPECT_LE(maxDepth, bound + 1e-9);
}

int CollectKeys(void *record, void *context)
{
    ((std::vector<int32_t> *)context)->push_back(((Payload *)record)->key);
    return 0;
}

TEST(KeyTree, RandomInsertAndDeleteKeepInvariantsAndRecordAddresses)
{
    std::mt19937 rng(20040101);
    KeyTree root = 0;
    std::map<int32_t, Payload *> held;   // what a caller keeps between operations
    uint32_t serial = 0;
    for (int round = 0; round < 6000; round++) {
        int32_t key = (int32_t)(rng() % 700) - 350;
        if (rng() % 3 != 0) {
            Payload p = {key, ++serial};
            TreeNode *node = TreeInsert(&root, key, &p, sizeof p);
            if (held.count(key)) {
                EXPECT_EQ(node, nullptr);
            } else {
                ASSERT_NE(node, nullptr);
                EXPECT_NE(node->record, (void *)&p);
                held[key] = (Payload *)node->record;
            }
        } else {
            EXPECT_EQ(TreeDelete(&root, key), held.count(key) ? 1 : 0);
            held.erase(key);
        }
        if (round % 97 == 0)
            CheckTree(root, held.size());
    }
    CheckTree(root, held.size());
    for (const auto &h : held) {
        TreeNode *node = TreeFind(root, h.first);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->record, (void *)h.second) << "record block moved for key " << h.first;
        EXPECT_EQ(h.second->key, h.first);
    }
    // Empty it again in random order; each step must keep the invariants.
    std::vector<int32_t> keys;
    for (const auto &h : held)
        keys.push_back(h.first);
    std::shuffle(keys.begin(), keys.end(), rng);
    for (size_t i = 0; i < keys.size(); i++) {
        ASSERT_EQ(TreeDelete(&root, keys[i]), 1);
        held.erase(keys[i]);
        EXPECT_EQ(TreeFind(root, keys[i]), nullptr);
        for (const auto &h : held)
            ASSERT_EQ(TreeFind(root, h.first)->record, (void *)h.second);
        if (i % 13 == 0)
            CheckTree(root, held.size());
    }
    EXPECT_EQ(root, nullptr);
}

TEST(KeyTree, DeletingANodeWithTwoChildrenLeavesOthersWithTheirOwnRecords)
{
    KeyTree root = 0;
    Payload *records[8] = {};
    for (int32_t k : {4, 2, 6, 1, 3, 5, 7}) {
        Payload p = {k, (uint32_t)k * 10};
        records[k] = (Payload *)TreeInsert(&root, k, &p, sizeof p)->record;
    }
    ASSERT_TRUE(root->left && root->right);
    int32_t top = root->key;
    EXPECT_EQ(TreeDelete(&root, top), 1);
    EXPECT_EQ(TreeFind(root, top), nullptr);
    for (int32_t k = 1; k <= 7; k++) {
        if (k == top)
            continue;
        TreeNode *node = TreeFind(root, k);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->record, (void *)records[k]);
        EXPECT_EQ(records[k]->serial, (uint32_t)k * 10);
    }
    EXPECT_EQ(TreeDelete(&root, top), 0);
    CheckTree(root, 6);
    TreeDestroy(&root);
    EXPECT_EQ(root, nullptr);
}

TEST(KeyTree, DuplicateInsertLeavesTheExistingRecord)
{
    KeyTree root = 0;
    Payload a = {9, 1}, b = {9, 2};
    TreeNode *first = TreeInsert(&root, 9, &a, sizeof a);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(TreeInsert(&root, 9, &b, sizeof b), nullptr);
    EXPECT_EQ(TreeFind(root, 9), first);
    EXPECT_EQ(((Payload *)first->record)->serial, 1u);
    EXPECT_EQ(root->left, nullptr);
    EXPECT_EQ(root->right, nullptr);
    TreeDestroy(&root);
}

TEST(KeyTree, KeysAreSignedAndWalkedInOrder)
{
    KeyTree root = 0;
    const int32_t keys[] = {1, (int32_t)0x80000000, INT32_MAX, -1, 0, 3, 2};
    for (int32_t k : keys) {
        Payload p = {k, 0};
        ASSERT_NE(TreeInsert(&root, k, &p, sizeof p), nullptr);
    }
    std::vector<int32_t> seen;
    EXPECT_EQ(TreeWalk(root, CollectKeys, &seen), 0);
    std::vector<int32_t> expected = {INT32_MIN, -1, 0, 1, 2, 3, INT32_MAX};
    EXPECT_EQ(seen, expected);
    TreeDestroy(&root);
}

struct StopAt {
    std::vector<int32_t> seen;
    int32_t stopKey;
};

int StopWalk(void *record, void *context)
{
    StopAt *s = (StopAt *)context;
    int32_t key = ((Payload *)record)->key;
    s->seen.push_back(key);
    return key == s->stopKey ? 5 : 0;
}

TEST(KeyTree, WalkStopsAtTheFirstNonZeroResult)
{
    KeyTree root = 0;
    for (int32_t k : {3, 1, 2}) {
        Payload p = {k, 0};
        TreeInsert(&root, k, &p, sizeof p);
    }
    StopAt s;
    s.stopKey = 2;
    EXPECT_EQ(TreeWalk(root, StopWalk, &s), 5);
    EXPECT_EQ(s.seen, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(TreeWalk(nullptr, StopWalk, &s), 0);
    TreeDestroy(&root);
}

TEST(KeyTree, AscendingInsertOfManyKeysStaysShallow)
{
    KeyTree root = 0;
    const int n = 200000;
    for (int32_t k = 0; k < n; k++) {
        Payload p = {k, 0};
        ASSERT_NE(TreeInsert(&root, k, &p, sizeof p), nullptr);
    }
    CheckTree(root, n);
    for (int32_t k = 0; k < n; k += 2)
        ASSERT_EQ(TreeDelete(&root, k), 1);
    CheckTree(root, n / 2);
    TreeDestroy(&root);
}

}   // namespace
