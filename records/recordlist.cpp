#include "recordlist.h"
#include <stdlib.h>
#include <string.h>

// Both containers own a byte-for-byte copy of each record given to them.
static void *CopyRecord(const void *record, uint32_t size)
{
    // malloc(0) may legally return null; a zero-sized record still gets a block.
    void *copy = malloc(size ? size : 1);
    if (copy && size)
        memcpy(copy, record, size);
    return copy;
}

// A node of nodeSize bytes and *copy the record's copy for it; null, with
// nothing allocated, when memory ran out.
static void *NewNodeWithCopy(size_t nodeSize, const void *record, uint32_t size, void **copy)
{
    void *node = malloc(nodeSize);
    if (!node)
        return 0;
    *copy = CopyRecord(record, size);
    if (!*copy) {
        free(node);
        return 0;
    }
    return node;
}

// ---- RecordList ----

static ListNode *NewListNode(const void *record, uint32_t size)
{
    void *copy;
    ListNode *node = (ListNode *)NewNodeWithCopy(sizeof(ListNode), record, size, &copy);
    if (!node)
        return 0;
    node->prev = 0;
    node->next = 0;
    node->record = copy;
    node->size = size;
    return node;
}

int ListAdd(RecordList *head, const void *record, uint32_t size)
{
    ListNode *node = NewListNode(record, size);
    if (!node)
        return 1;
    if (!*head)
        *head = node;
    else
        ListInsertAfter(*head, node);   // the head stays put: the chime entry relies on it
    return 0;
}

int ListInsertAfter(ListNode *node, ListNode *newNode)
{
    if (!node || !newNode)
        return 3;
    newNode->prev = node;
    newNode->next = node->next;
    if (node->next)
        node->next->prev = newNode;
    node->next = newNode;
    return 0;
}

ListNode *ListUnlink(ListNode *node)
{
    if (!node)
        return 0;
    if (node->prev)
        node->prev->next = node->next;
    if (node->next)
        node->next->prev = node->prev;
    node->prev = 0;
    node->next = 0;
    return node;
}

void ListFreeNode(ListNode *node)
{
    if (!node)
        return;
    ListUnlink(node);
    free(node->record);
    free(node);
}

void ListFreeAll(RecordList *head)
{
    ListNode *node = *head;
    if (!node)
        return;
    ListNode *before = node->prev;
    while (before) {
        ListNode *prev = before->prev;
        free(before->record);
        free(before);
        before = prev;
    }
    while (node) {
        ListNode *next = node->next;
        free(node->record);
        free(node);
        node = next;
    }
    *head = 0;
}

// ---- KeyTree ----

static inline TreeNode **ChildLink(TreeNode *node, int right) { return right ? &node->right : &node->left; }

static inline int IsRed(const TreeNode *node) { return node && node->colour == TREE_RED; }

// Lifts the child on side `right` of node into node's place; returns the child.
static TreeNode *RotateUp(TreeNode *node, int right)
{
    TreeNode *child = *ChildLink(node, right);
    *ChildLink(node, right) = *ChildLink(child, !right);
    *ChildLink(child, !right) = node;
    return child;
}

// Hangs `node` where path[level] was: the root link or a parent's child link.
static inline void Hang(KeyTree *root, TreeNode **path, const int *dir, int level, TreeNode *node)
{
    if (level == 0)
        *root = node;
    else
        *ChildLink(path[level - 1], dir[level - 1]) = node;
}

TreeNode *TreeFind(KeyTree root, int32_t key)
{
    TreeNode *node = root;
    while (node) {
        if (key == node->key)
            return node;
        node = key > node->key ? node->right : node->left;
    }
    return 0;
}

TreeNode *TreeInsert(KeyTree *root, int32_t key, const void *record, uint32_t size)
{
    if (!root)
        return 0;
    TreeNode *path[TREE_MAX_DEPTH];
    int dir[TREE_MAX_DEPTH];
    int depth = 0;
    for (TreeNode *node = *root; node;) {
        if (key == node->key)
            return 0;
        // Keeps the tree at most TREE_MAX_DEPTH levels high, so that the
        // deletion path (which may grow by one on a rotation) always fits.
        if (depth >= TREE_MAX_DEPTH - 1)
            return 0;
        path[depth] = node;
        dir[depth] = key > node->key;
        node = *ChildLink(node, dir[depth]);
        depth++;
    }

    void *copy;
    TreeNode *node = (TreeNode *)NewNodeWithCopy(sizeof(TreeNode), record, size, &copy);
    if (!node)
        return 0;
    node->left = 0;
    node->right = 0;
    node->key = key;
    node->record = copy;

    if (depth == 0) {
        node->colour = TREE_BLACK;
        *root = node;
        return node;
    }
    node->colour = TREE_RED;
    *ChildLink(path[depth - 1], dir[depth - 1]) = node;

    // level = depth of the current red node; its parent is path[level - 1].
    int level = depth;
    while (level >= 2 && IsRed(path[level - 1])) {
        TreeNode *parent = path[level - 1];
        TreeNode *grand = path[level - 2];
        int parentSide = dir[level - 2];
        TreeNode *uncle = *ChildLink(grand, !parentSide);
        if (IsRed(uncle)) {
            parent->colour = TREE_BLACK;
            uncle->colour = TREE_BLACK;
            grand->colour = TREE_RED;
            level -= 2;
            continue;
        }
        if (dir[level - 1] != parentSide)
            *ChildLink(grand, parentSide) = RotateUp(parent, dir[level - 1]);
        TreeNode *top = RotateUp(grand, parentSide);
        top->colour = TREE_BLACK;
        grand->colour = TREE_RED;
        Hang(root, path, dir, level - 2, top);
        break;
    }
    (*root)->colour = TREE_BLACK;
    return node;
}

int TreeDelete(KeyTree *root, int32_t key)
{
    if (!root)
        return 0;
    TreeNode *path[TREE_MAX_DEPTH];
    int dir[TREE_MAX_DEPTH];
    int depth = 0;
    TreeNode *found = *root;
    while (found && found->key != key) {
        if (depth >= TREE_MAX_DEPTH - 1)
            return 0;
        path[depth] = found;
        dir[depth] = key > found->key;
        found = *ChildLink(found, dir[depth]);
        depth++;
    }
    if (!found)
        return 0;

    TreeNode *victim = found;
    if (found->left && found->right) {
        path[depth] = found;
        dir[depth] = 1;
        depth++;
        TreeNode *succ = found->right;
        while (succ->left) {
            path[depth] = succ;
            dir[depth] = 0;
            depth++;
            succ = succ->left;
        }
        // Swap the record blocks rather than copying bytes: callers hold links
        // to records (store items), and the surviving one must not move.
        void *record = found->record;
        found->key = succ->key;
        found->record = succ->record;
        succ->record = record;
        victim = succ;
    }

    TreeNode *child = victim->left ? victim->left : victim->right;
    Hang(root, path, dir, depth, child);
    int removedBlack = victim->colour == TREE_BLACK;
    free(victim->record);
    free(victim);

    if (removedBlack) {
        if (IsRed(child)) {
            child->colour = TREE_BLACK;
        } else {
            // The link path[depth-1]/dir[depth-1] is one black short.
            while (depth > 0) {
                TreeNode *parent = path[depth - 1];
                int side = dir[depth - 1];
                TreeNode *sibling = *ChildLink(parent, !side);
                if (IsRed(sibling)) {
                    sibling->colour = TREE_BLACK;
                    parent->colour = TREE_RED;
                    RotateUp(parent, !side);
                    Hang(root, path, dir, depth - 1, sibling);
                    // The sibling is now above the parent on the path.
                    path[depth - 1] = sibling;
                    dir[depth - 1] = side;
                    path[depth] = parent;
                    dir[depth] = side;
                    depth++;
                    sibling = *ChildLink(parent, !side);
                }
                TreeNode *nearChild = *ChildLink(sibling, side);
                TreeNode *farChild = *ChildLink(sibling, !side);
                if (!IsRed(nearChild) && !IsRed(farChild)) {
                    sibling->colour = TREE_RED;
                    if (parent->colour == TREE_RED) {
                        parent->colour = TREE_BLACK;
                        break;
                    }
                    depth--;
                    continue;
                }
                if (!IsRed(farChild)) {
                    nearChild->colour = TREE_BLACK;
                    sibling->colour = TREE_RED;
                    sibling = RotateUp(sibling, side);
                    *ChildLink(parent, !side) = sibling;
                    farChild = *ChildLink(sibling, !side);
                }
                sibling->colour = parent->colour;
                parent->colour = TREE_BLACK;
                farChild->colour = TREE_BLACK;
                RotateUp(parent, !side);
                Hang(root, path, dir, depth - 1, sibling);
                break;
            }
        }
    }
    if (*root)
        (*root)->colour = TREE_BLACK;
    return 1;
}

int TreeWalk(KeyTree root, TreeWalkFn fn, void *context)
{
    if (!root)
        return 0;
    int result = TreeWalk(root->left, fn, context);
    if (result)
        return result;
    result = fn(root->record, context);
    if (result)
        return result;
    return TreeWalk(root->right, fn, context);
}

static void DestroyNodes(TreeNode *node)
{
    if (!node)
        return;
    DestroyNodes(node->left);
    DestroyNodes(node->right);
    free(node->record);
    free(node);
}

void TreeDestroy(KeyTree *root)
{
    if (!root)
        return;
    DestroyNodes(*root);
    *root = 0;
}
