// Display scaling on plain numbers. The program's sizes are given for 96 dpi
// and scale with the DPI of the monitor a window is on. "dlm.ini" keeps a
// window's place in screen pixels and its size in 96-dpi pixels, as files
// written before scaling did, so they load unchanged.
#pragma once
#include <stdint.h>
#include "../records/settings.h"

#define BASE_DPI 96

// value96 at dpi, rounded to the nearest pixel (halves away from zero).
int32_t ScaleForDpi(int32_t value96, int32_t dpi);
// The 96-dpi size of pixels at dpi, rounded the same way.
int32_t UnscaleForDpi(int32_t pixels, int32_t dpi);

// The toolbar pictures are drawn at 16, 24 and 32 pixels: the size nearest
// to 16 pixels at dpi, the larger on a tie.
int32_t ToolbarPictureSize(int32_t dpi);

// A kept place as the window takes it on a monitor of dpi: the size scaled,
// the top left corner as it is; a top-docked window slid away keeps its one
// visible line, and one slid away to the left its one visible column.
WindowPos StoredToScreen(WindowPos stored, int32_t dpi);
// The other way round, for the file.
WindowPos ScreenToStored(WindowPos screen, int32_t dpi);
