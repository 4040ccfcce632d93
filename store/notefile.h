// "便签.txt": the sticky note's text, GBK bytes with no header. The note's
// line break (CR LF in its edit control) is stored as CR CR LF, because the
// writer expands every LF into CR LF; reading turns every CR LF pair back into
// LF, so CR CR LF comes back as CR LF, and a byte 0x1A ends the text.
#pragma once
#include <stddef.h>

#define NOTE_FILE_NAME "便签.txt"

// The file's bytes for a text: every LF becomes CR LF. Returns their count;
// out, when not null, must hold that many bytes (no NUL is added).
size_t EncodeNoteText(const char *text, char *out);
// The text of the file's bytes, in place: CR LF pairs become LF, 0x1A ends
// the text and NUL bytes are dropped (the edit control could not hold them).
// Returns the new length and NUL-terminates, so bytes needs length + 1 bytes.
size_t DecodeNoteBytes(char *bytes, size_t length);
// What the edit control is given: a lone LF becomes CR LF, since the control
// breaks lines only at CR LF and a file written with plain CR LF by another
// editor would otherwise show as a single line. malloc'd, or null.
char *NoteTextForEdit(const char *text);

// Reads the note file. 0 with *text a malloc'd NUL-terminated text (the
// caller frees it); -1 with *text null when the file cannot be opened or read.
int ReadNoteFile(const char *name, char **text);
// Writes the text as a complete new file that is then moved over the old one,
// so a crash at any point leaves the old note or the new one, whole. An empty
// text makes an empty file. 0 on success; otherwise the old file is untouched.
int WriteNoteFile(const char *name, const char *text);
