#include "merge.h"
#include <stdlib.h>
#include <string.h>

int MergeBlobsEqual(const MergeBlob *a, const MergeBlob *b)
{
    return a->size == b->size && (a->size == 0 || memcmp(a->bytes, b->bytes, a->size) == 0);
}

int32_t MergeKeyedItems(const MergeKeyed *base, int32_t baseCount, const MergeKeyed *ours, int32_t oursCount,
                        const MergeKeyed *theirs, int32_t theirsCount, MergePick *out)
{
    int32_t b = 0, o = 0, t = 0, n = 0;
    while (o < oursCount || t < theirsCount || b < baseCount) {
        // the smallest key still ahead on any side
        int64_t key = INT64_MAX;
        if (b < baseCount && base[b].key < key)
            key = base[b].key;
        if (o < oursCount && ours[o].key < key)
            key = ours[o].key;
        if (t < theirsCount && theirs[t].key < key)
            key = theirs[t].key;
        const MergeKeyed *inBase = b < baseCount && base[b].key == key ? &base[b++] : 0;
        const int32_t oi = o < oursCount && ours[o].key == key ? o++ : -1;
        const int32_t ti = t < theirsCount && theirs[t].key == key ? t++ : -1;
        const MergeKeyed *inOurs = oi >= 0 ? &ours[oi] : 0, *inTheirs = ti >= 0 ? &theirs[ti] : 0;

        const int oursChanged = !inBase != !inOurs || (inBase && !MergeBlobsEqual(&inBase->value, &inOurs->value));
        int fromOurs = oursChanged;
        // We deleted what they edited meanwhile: their edit stays.
        if (oursChanged && !inOurs && inTheirs && (!inBase || !MergeBlobsEqual(&inBase->value, &inTheirs->value)))
            fromOurs = 0;
        if (fromOurs && inOurs) {
            out[n].from = MERGE_FROM_OURS;
            out[n++].index = oi;
        } else if (!fromOurs && inTheirs) {
            out[n].from = MERGE_FROM_THEIRS;
            out[n++].index = ti;
        }
    }
    return n;
}

// How one side's list differs from base.
struct SideChanges {
    int32_t *keptAt;     // per base record: the equal record of the side, or -1 when the side lost it
    int32_t *editedTo;   // per base record the side lost: the side's record that replaced it, or -1
    int32_t *baseOf;     // per side record: the base record it is (>= 0), or -1 when it is new
    int32_t *editOf;     // per side record that is new: the base record it replaced, or -1
};

static void FreeChanges(SideChanges *c)
{
    free(c->keptAt);
    free(c->editedTo);
    free(c->baseOf);
    free(c->editOf);
}

static int CompareBlobs(const MergeBlob *a, const MergeBlob *b)
{
    if (a->size != b->size)
        return a->size < b->size ? -1 : 1;
    return a->size ? memcmp(a->bytes, b->bytes, a->size) : 0;
}

static const MergeBlob *SortBlobs;
static int CompareIndices(const void *a, const void *b)
{
    int32_t i = *(const int32_t *)a, j = *(const int32_t *)b;
    int c = CompareBlobs(&SortBlobs[i], &SortBlobs[j]);
    return c ? c : (i < j ? -1 : i > j);
}

static int32_t *SortedIndices(const MergeBlob *blobs, int32_t count)
{
    int32_t *order = (int32_t *)malloc(((size_t)count + 1) * sizeof(int32_t));
    if (!order)
        return 0;
    for (int32_t i = 0; i < count; i++)
        order[i] = i;
    SortBlobs = blobs;
    qsort(order, (size_t)count, sizeof(int32_t), CompareIndices);
    return order;
}

// The first four bytes name what a record is about (a holiday's date code,
// a memo's day): a lost record and a new one that alone share them are one
// record edited.
static int SameSubject(const MergeBlob *a, const MergeBlob *b)
{
    return a->size >= 4 && b->size >= 4 && memcmp(a->bytes, b->bytes, 4) == 0;
}

static int FindChanges(const MergeBlob *base, int32_t baseCount, const MergeBlob *side, int32_t sideCount,
                       SideChanges *c)
{
    size_t nb = (size_t)baseCount + 1, ns = (size_t)sideCount + 1;
    c->keptAt = (int32_t *)malloc(nb * sizeof(int32_t));
    c->editedTo = (int32_t *)malloc(nb * sizeof(int32_t));
    c->baseOf = (int32_t *)malloc(ns * sizeof(int32_t));
    c->editOf = (int32_t *)malloc(ns * sizeof(int32_t));
    int32_t *baseOrder = SortedIndices(base, baseCount), *sideOrder = SortedIndices(side, sideCount);
    if (!c->keptAt || !c->editedTo || !c->baseOf || !c->editOf || !baseOrder || !sideOrder) {
        free(baseOrder);
        free(sideOrder);
        FreeChanges(c);
        return 0;
    }
    for (int32_t i = 0; i < baseCount; i++)
        c->keptAt[i] = c->editedTo[i] = -1;
    for (int32_t j = 0; j < sideCount; j++)
        c->baseOf[j] = c->editOf[j] = -1;
    // Equal records pair off in sorted order, each at most once.
    for (int32_t a = 0, b = 0; a < baseCount && b < sideCount;) {
        int cmp = CompareBlobs(&base[baseOrder[a]], &side[sideOrder[b]]);
        if (cmp == 0) {
            c->keptAt[baseOrder[a]] = sideOrder[b];
            c->baseOf[sideOrder[b]] = baseOrder[a];
            a++, b++;
        } else if (cmp < 0) {
            a++;
        } else {
            b++;
        }
    }
    free(baseOrder);
    free(sideOrder);
    // Edits: when one record alone was lost and one alone is new, those two;
    // else a lost record and a new one of the same subject, when neither
    // has another.
    int32_t lost = 0, fresh = 0, lastLost = -1, lastFresh = -1;
    for (int32_t i = 0; i < baseCount; i++)
        if (c->keptAt[i] < 0)
            lost++, lastLost = i;
    for (int32_t j = 0; j < sideCount; j++)
        if (c->baseOf[j] < 0)
            fresh++, lastFresh = j;
    if (lost == 1 && fresh == 1) {
        c->editedTo[lastLost] = lastFresh;
        c->editOf[lastFresh] = lastLost;
        return 1;
    }
    for (int32_t i = 0; i < baseCount; i++) {
        if (c->keptAt[i] >= 0)
            continue;
        int32_t match = -1, matches = 0;
        for (int32_t j = 0; j < sideCount; j++)
            if (c->baseOf[j] < 0 && SameSubject(&base[i], &side[j]))
                match = j, matches++;
        if (matches != 1)
            continue;
        int32_t others = 0;
        for (int32_t k = 0; k < baseCount; k++)
            if (c->keptAt[k] < 0 && SameSubject(&base[k], &side[match]))
                others++;
        if (others == 1) {
            c->editedTo[i] = match;
            c->editOf[match] = i;
        }
    }
    return 1;
}

int32_t MergeRecordLists(const MergeBlob *base, int32_t baseCount, const MergeBlob *ours, int32_t oursCount,
                         const MergeBlob *theirs, int32_t theirsCount, MergePick *out)
{
    SideChanges o, t;
    if (!FindChanges(base, baseCount, ours, oursCount, &o))
        return -1;
    if (!FindChanges(base, baseCount, theirs, theirsCount, &t)) {
        FreeChanges(&o);
        return -1;
    }
    int32_t n = 0;
    // Their list in its order, with our changes of its records in place ...
    for (int32_t j = 0; j < theirsCount; j++) {
        int32_t i = t.baseOf[j] >= 0 ? t.baseOf[j] : t.editOf[j];
        if (i >= 0 && o.editedTo[i] >= 0) {
            // our edit: the later save wins over their keeping or editing it
            out[n].from = MERGE_FROM_OURS;
            out[n++].index = o.editedTo[i];
        } else if (t.baseOf[j] >= 0 && o.keptAt[t.baseOf[j]] >= 0) {
            // kept by both: ours, the same bytes, so that a record in use keeps its place
            out[n].from = MERGE_FROM_OURS;
            out[n++].index = o.keptAt[t.baseOf[j]];
        } else if (t.baseOf[j] < 0) {
            // new on their side, or their edit, which our deletion does not undo
            out[n].from = MERGE_FROM_THEIRS;
            out[n++].index = j;
        }
    }
    // ... then what is new on our side, and our edits of records they deleted.
    for (int32_t j = 0; j < oursCount; j++) {
        int32_t i = o.editOf[j];
        int added = o.baseOf[j] < 0 && i < 0;
        int editOfDeleted = i >= 0 && t.keptAt[i] < 0 && t.editedTo[i] < 0;
        if (added || editOfDeleted) {
            out[n].from = MERGE_FROM_OURS;
            out[n++].index = j;
        }
    }
    FreeChanges(&o);
    FreeChanges(&t);
    return n;
}
