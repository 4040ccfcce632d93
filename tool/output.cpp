// Output of the terminal calendar: one GBK buffer for stdout, written at the
// end in the terminal's encoding (UTF-8 on Linux; on Windows the console's
// Unicode output, or GBK as it is when redirected), and the column arithmetic
// of GBK text.
#include "loomcal.h"
#include "../records/gb18030.h"
#include "../records/gbk.h"
#include <errno.h>
#include <stdint.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

// The first error writing stdout; reported once, by OutFinish.
static int stdoutError = 0;

static void WriteStdout(const char *bytes, size_t length)
{
    if (length && fwrite(bytes, 1, length, stdout) != length && !stdoutError)
        stdoutError = errno ? errno : EIO;
}

static char *outText = 0;
static size_t outLength = 0;
static size_t outCapacity = 0;

void OutBytes(const char *gbk, size_t length)
{
    if (outLength + length + 1 > outCapacity) {
        size_t capacity = outCapacity ? outCapacity : 4096;
        while (outLength + length + 1 > capacity)
            capacity *= 2;
        char *grown = (char *)realloc(outText, capacity);
        if (!grown)
            return;   // out of memory: the rest of the output is lost, nothing crashes
        outText = grown;
        outCapacity = capacity;
    }
    memcpy(outText + outLength, gbk, length);
    outLength += length;
    outText[outLength] = 0;
}

void OutText(const char *gbk)
{
    if (gbk)
        OutBytes(gbk, strlen(gbk));
}

void OutFormat(const char *format, ...)
{
    char line[2048];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n < 0)
        return;
    if ((size_t)n >= sizeof line)
        n = sizeof line - 1;
    OutBytes(line, (size_t)n);
}

#ifndef _WIN32
// GBK (and its GB18030 four-byte sequences) to UTF-8. A byte that starts no
// character becomes \xNN on its own, so that one bad byte never changes how
// the rest of the text is shown. The result is malloc'ed, or null.
static char *ToUtf8(const char *gbk, size_t length, size_t *outLen)
{
    char *result = (char *)malloc(length * 4 + 1);   // \xNN: four bytes for one
    if (!result)
        return 0;
    size_t n = 0;
    for (size_t i = 0; i < length;) {
        uint32_t cp;
        size_t used = Gb18030Decode(gbk + i, length - i, &cp);
        if (used) {
            n += Utf8Encode(cp, result + n);
            i += used;
        } else {
            snprintf(result + n, 5, "\\x%02X", (unsigned char)gbk[i]);
            n += 4;
            i++;
        }
    }
    result[n] = 0;
    *outLen = n;
    return result;
}
#else
// A console shows the text through its Unicode output, whatever its code
// page; 1 when stdout is a console and the text went there.
static int WriteConsoleText(const char *gbk, size_t length)
{
    HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode;
    if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode))
        return 0;
    uint16_t *wide = (uint16_t *)malloc((length + 1) * sizeof(uint16_t));
    if (!wide)
        return 0;
    size_t n = GbkToUtf16(gbk, length, wide);
    fflush(stdout);
    for (size_t at = 0; at < n;) {
        DWORD written = 0;
        DWORD chunk = n - at > 8192 ? 8192 : (DWORD)(n - at);
        if (!WriteConsoleW(console, (const WCHAR *)wide + at, chunk, &written, 0) || written == 0) {
            if (!stdoutError)
                stdoutError = EIO;
            break;
        }
        at += written;
    }
    free(wide);
    return 1;
}
#endif

// Writes GBK text to a stream in the terminal's encoding.
static void WriteTerminal(FILE *stream, const char *gbk, size_t length)
{
    if (length == 0)
        return;
#ifdef _WIN32
    // Redirected, the bytes stay the files' own GBK, as they always were.
    if (stream == stdout && WriteConsoleText(gbk, length))
        return;
    if (stream == stdout)
        WriteStdout(gbk, length);
    else
        fwrite(gbk, 1, length, stream);
#else
    size_t converted = 0;
    char *utf8 = ToUtf8(gbk, length, &converted);
    const char *bytes = utf8 ? utf8 : gbk;   // no converter at all: the bytes as they are
    size_t n = utf8 ? converted : length;
    if (stream == stdout)
        WriteStdout(bytes, n);
    else
        fwrite(bytes, 1, n, stream);
    free(utf8);
#endif
}

static void SetBinaryStreams()
{
#ifdef _WIN32
    // Text mode would turn every "\n" into "\r\n" in pipes and files.
    static int done = 0;
    if (!done) {
        _setmode(_fileno(stdout), _O_BINARY);
        _setmode(_fileno(stderr), _O_BINARY);
        done = 1;
    }
#endif
}

void OutFlush()
{
    SetBinaryStreams();
    WriteTerminal(stdout, outText, outLength);
    if (fflush(stdout) != 0 && !stdoutError)
        stdoutError = errno ? errno : EIO;
    free(outText);
    outText = 0;
    outLength = outCapacity = 0;
}

void OutRaw(const char *bytes, size_t length)
{
    SetBinaryStreams();
    WriteStdout(bytes, length);
    if (fflush(stdout) != 0 && !stdoutError)
        stdoutError = errno ? errno : EIO;
}

int OutFinish()
{
    // The close is where a file system that defers its errors reports them.
    errno = 0;
    if (fflush(stdout) != 0 && !stdoutError)
        stdoutError = errno ? errno : EIO;
    if (ferror(stdout) && !stdoutError)
        stdoutError = EIO;
    if (fclose(stdout) != 0 && !stdoutError)
        stdoutError = errno ? errno : EIO;
    if (!stdoutError)
        return EXIT_OK;
    ErrorLine("loomcal: the output could not be written: %s", strerror(stdoutError));
    return EXIT_FAILED;
}

void ErrorLine(const char *format, ...)
{
    SetBinaryStreams();
    char line[1024];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line - 1, format, args);
    va_end(args);
    if (n < 0)
        return;
    if ((size_t)n >= sizeof line - 1)
        n = sizeof line - 2;
    // one line, whatever the message carried
    for (int i = 0; i < n; i++)
        if (line[i] == '\n' || line[i] == '\r')
            line[i] = ' ';
    line[n++] = '\n';
    WriteTerminal(stderr, line, (size_t)n);
    fflush(stderr);
}

#ifdef _WIN32
char **WideArguments(int *argc, int *bad)
{
    // The command line as typed, whatever the ANSI code page: the program's
    // own converter makes GBK (with four-byte codes) of it.
    int n = 0;
    LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &n);
    if (!wide)
        return 0;
    char **args = (char **)calloc((size_t)n + 1, sizeof(char *));
    *bad = 0;
    for (int i = 0; args && i < n; i++) {
        size_t units = wcslen(wide[i]);
        for (size_t k = 0; k < units && !*bad; k++) {
            uint16_t u = (uint16_t)wide[i][k];
            int high = u >= 0xD800 && u <= 0xDBFF, low = u >= 0xDC00 && u <= 0xDFFF;
            int next = k + 1 < units ? (uint16_t)wide[i][k + 1] : 0;
            if (low || (high && !(next >= 0xDC00 && next <= 0xDFFF)))
                *bad = i;   // half a surrogate pair: no character to store
            if (high)
                k++;
        }
        args[i] = (char *)malloc(4 * units + 1);
        if (!args[i])
            return 0;
        args[i][Utf16ToGbk((const uint16_t *)wide[i], units, args[i])] = 0;
    }
    LocalFree(wide);
    if (args)
        *argc = n;
    return args;
}
#endif

char *ArgumentToGbk(const char *arg)
{
#ifdef _WIN32
    // main took the arguments from the Unicode command line (WideArguments)
    return strdup(arg);
#else
    return Utf8ToGbk(arg, strlen(arg), 0);
#endif
}

const char *ShownArg(const char *arg)
{
    static char ring[4][256];
    static int next = 0;
    char *slot = ring[next];
    next = (next + 1) % 4;
    char *gbk = ArgumentToGbk(arg ? arg : "");
    if (!gbk) {
        strcpy(slot, "?");
        return slot;
    }
    size_t n = strlen(gbk);
    if (n > sizeof ring[0] - 4) {
        // cut on a character boundary and show that it was cut
        size_t at = GbkCutLength(gbk, sizeof ring[0] - 4);
        memcpy(slot, gbk, at);
        strcpy(slot + at, "...");
    } else {
        memcpy(slot, gbk, n + 1);
    }
    free(gbk);
    return slot;
}

// One column per byte of ASCII and GBK (a double-byte character is two columns
// wide); a four-byte character (a CJK extension character, an emoji, Hangul)
// is two columns as well.
static int CharColumns(size_t bytes) { return bytes == 4 ? 2 : (int)bytes; }

int DisplayWidth(const char *gbk)
{
    int width = 0;
    const unsigned char *p = (const unsigned char *)gbk;
    while (*p) {
        size_t n = GbkCharLength((const char *)p);
        width += CharColumns(n);
        p += n;
    }
    return width;
}

void OutCell(const char *gbk, int width)
{
    const unsigned char *p = (const unsigned char *)(gbk ? gbk : "");
    int used = 0;
    while (*p) {
        size_t n = GbkCharLength((const char *)p);
        if (used + CharColumns(n) > width)
            break;
        OutBytes((const char *)p, n);
        used += CharColumns(n);
        p += n;
    }
    while (used < width) {
        OutBytes(" ", 1);
        used++;
    }
}

void OutEscaped(const char *gbk)
{
    const unsigned char *p = (const unsigned char *)(gbk ? gbk : "");
    while (*p) {
        // each break as it is stored: CR LF, LF and CR alone all differ
        if (p[0] == '\r') {
            OutBytes("\\r", 2);
            p++;
        } else if (p[0] == '\n') {
            OutBytes("\\n", 2);
            p++;
        } else if (p[0] == '\t') {
            OutBytes("\\t", 2);
            p++;
        } else if (p[0] == '\\') {
            // a backslash typed in the text must not read as the start of \n or \t
            OutBytes("\\\\", 2);
            p++;
        } else {
            size_t left = 1;   // a character is at most four bytes; the text ends at its NUL
            while (left < 4 && p[left])
                left++;
            size_t n = GbkValidCharLength(p, left);
            if (n == 0) {
                char escape[8];
                snprintf(escape, sizeof escape, "\\x%02X", p[0]);
                OutBytes(escape, 4);
                p++;
            } else {
                OutBytes((const char *)p, n);
                p += n;
            }
        }
    }
}

int StdoutIsColourTerminal()
{
    const char *term = getenv("TERM");
    if (term && strcmp(term, "dumb") == 0)
        return 0;
#ifdef _WIN32
    if (!_isatty(_fileno(stdout)))
        return 0;
    HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (!GetConsoleMode(console, &mode))
        return 0;
#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif
    // Older consoles do not understand the escapes: no highlight there.
    return SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) ? 1 : 0;
#else
    if (!term || !*term)
        return 0;
    return isatty(1) ? 1 : 0;
#endif
}
