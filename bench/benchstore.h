// The note store the benches measure: 100,000 notes of about 36 bytes,
// every third marked, written in a folder of its own under the temp folder.
#pragma once
#include <stdint.h>
#include <stdio.h>
#include <filesystem>
#include "store/recordstore.h"

const int NOTE_COUNT = 100000;

// Distinct, ascending packed dates from 1800 on (not all are real days).
inline int32_t KeyOf(int i) { return (1800 + i / 372) << 16 | (1 + i / 31 % 12) << 8 | (1 + i % 31); }

// Makes the folder dir anew, enters it and writes the store there as file.
inline void WriteBenchStore(const char *dir, const char *file)
{
    std::filesystem::path path = std::filesystem::temp_directory_path() / dir;
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    std::filesystem::current_path(path);
    RecordStore *store = StoreOpen(file, 0, 0, 0);
    char text[64];
    for (int i = 0; i < NOTE_COUNT; i++) {
        StoreItem *item = StoreAddItem(&store->root, KeyOf(i));
        int n = snprintf(text, sizeof text, "note number %d of the bench store", i);
        StoreSetData(item, text, (uint32_t)n + 1);
        StoreSetUserValue(item, i % 3 == 0);
    }
    StoreClose(store, file);
}
