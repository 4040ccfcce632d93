// The date information report: everything the calendar knows about one date,
// the memos of the day and the date's note, as text for the date information
// dialog's box (and for the terminal).
#pragma once
#include <stdint.h>
#include "../calendar/calendar.h"
#include "../calendar/memo.h"
#include "../records/records.h"

// Where report text goes: the dialog's edit box, or a plain buffer.
struct TextSink {
    void (*replace)(void *context, const char *text);   // replace everything
    void (*append)(void *context, const char *text);    // append at the end
    void *context;
};

// Steps 1..6 of the report: the date, the lunar block, the holidays (the
// solar term first when withTerms) and the memo section, replacing what the
// sink held.
void BuildDateReport(const TextSink *sink, PackedDate date, int withTerms);
void AppendMemoSection(const TextSink *sink, PackedDate date);

// The note of a date as the dialog shows it: mark and text ("" when none).
struct DayNoteView {
    int32_t mark;
    const char *text;
};
DayNoteView LoadDayNoteView(PackedDate date);

// A growing text buffer that works as a sink.
struct TextBuffer {
    char *text;
    size_t length;
    size_t capacity;
};
TextSink TextBufferSink(TextBuffer *buffer);
void TextBufferFree(TextBuffer *buffer);
// Appends bytes (any, NUL included) and keeps a NUL after them; 0 when
// memory ran out, and then the buffer is as it was.
int TextBufferAppendBytes(TextBuffer *buffer, const char *bytes, size_t length);
