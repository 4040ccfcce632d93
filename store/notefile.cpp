#include "notefile.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "fileio.h"

size_t EncodeNoteText(const char *text, char *out)
{
    size_t n = 0;
    for (const char *p = text ? text : ""; *p; p++) {
        if (*p == '\n') {
            if (out)
                out[n] = '\r';
            n++;
        }
        if (out)
            out[n] = *p;
        n++;
    }
    return n;
}

size_t DecodeNoteBytes(char *bytes, size_t length)
{
    size_t n = 0;
    for (size_t i = 0; i < length; i++) {
        char c = bytes[i];
        if (c == 0x1A)
            break;
        if (c == 0)
            continue;
        if (c == '\r' && i + 1 < length && bytes[i + 1] == '\n')
            continue;   // the LF that follows is kept alone
        bytes[n++] = c;
    }
    bytes[n] = 0;
    return n;
}

char *NoteTextForEdit(const char *text)
{
    if (!text)
        text = "";
    size_t extra = 0;
    for (const char *p = text; *p; p++)
        extra += *p == '\n' && (p == text || p[-1] != '\r');
    size_t length = strlen(text);
    char *out = (char *)malloc(length + extra + 1);
    if (!out)
        return 0;
    size_t n = 0;
    for (const char *p = text; *p; p++) {
        if (*p == '\n' && (p == text || p[-1] != '\r'))
            out[n++] = '\r';
        out[n++] = *p;
    }
    out[n] = 0;
    return out;
}

int ReadNoteFile(const char *name, char **text)
{
    *text = 0;
    FILE *f = fopen(name, "rb");
    if (!f)
        return -1;
    size_t size = 0, capacity = 4096;
    char *bytes = (char *)malloc(capacity);
    int ok = bytes != 0;
    while (ok) {
        if (capacity - size < 4096) {
            char *grown = (char *)realloc(bytes, capacity * 2);
            if (!grown) {
                ok = 0;
                break;
            }
            bytes = grown;
            capacity *= 2;
        }
        // one byte is kept back for the NUL
        size_t got = fread(bytes + size, 1, capacity - size - 1, f);
        size += got;
        if (got == 0) {
            ok = !ferror(f);
            break;
        }
    }
    fclose(f);
    if (!ok) {
        free(bytes);
        return -1;
    }
    DecodeNoteBytes(bytes, size);
    *text = bytes;
    return 0;
}

int WriteNoteFile(const char *name, const char *text)
{
    // Only the one running program writes the note, so a temporary file
    // beside it is what a writer that died left behind.
    FileRemoveStaleTemporaries(name);
    size_t length = EncodeNoteText(text, 0);
    char *bytes = (char *)malloc(length ? length : 1);
    if (!bytes)
        return -1;
    EncodeNoteText(text, bytes);
    // binary, since the line breaks are already what the file holds
    int result = FileWriteComplete(name, bytes, length);
    free(bytes);
    return result == SAVE_OK ? 0 : -1;
}
