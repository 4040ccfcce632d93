// Shared by the fuzz targets.
#pragma once
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <string>

// 1 when the file `name` holds exactly these bytes: a damaged input kept
// whole as its ".damaged" copy before a save replaced it.
inline bool FileHoldsExactly(const char *name, const uint8_t *data, size_t size)
{
    FILE *f = fopen(name, "rb");
    if (!f)
        return false;
    std::string kept;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        kept.append(buffer, n);
    fclose(f);
    return kept.size() == size && memcmp(kept.data(), data, size) == 0;
}
