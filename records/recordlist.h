// The two in-memory containers: a doubly linked list of record copies and a
// red-black tree keyed by a signed 32-bit integer. Both own byte-for-byte
// copies of the records given to them and never interpret them.
#pragma once
#include <stdint.h>

struct ListNode {
    ListNode *prev;
    ListNode *next;
    void *record;   // owned copy
    uint32_t size;
};
typedef ListNode *RecordList;   // link to the head node

int ListAdd(RecordList *head, const void *record, uint32_t size);   // 0, or 1 out of memory
int ListInsertAfter(ListNode *node, ListNode *newNode);             // 0, or 3 missing argument
ListNode *ListUnlink(ListNode *node);
void ListFreeNode(ListNode *node);
void ListFreeAll(RecordList *head);

enum { TREE_RED = 0, TREE_BLACK = 1 };
#define TREE_MAX_DEPTH 48

struct TreeNode {
    TreeNode *left;
    TreeNode *right;
    int32_t key;
    void *record;   // owned copy; its address never changes while in the tree
    int32_t colour;
};
typedef TreeNode *KeyTree;   // link to the root

typedef int (*TreeWalkFn)(void *record, void *context);

TreeNode *TreeFind(KeyTree root, int32_t key);
TreeNode *TreeInsert(KeyTree *root, int32_t key, const void *record, uint32_t size);
int TreeDelete(KeyTree *root, int32_t key);
int TreeWalk(KeyTree root, TreeWalkFn fn, void *context);
void TreeDestroy(KeyTree *root);
