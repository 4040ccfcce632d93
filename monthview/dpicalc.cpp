#include "dpicalc.h"

namespace {

int32_t Rounded(int64_t num, int64_t den)
{
    return (int32_t)(num >= 0 ? (num + den / 2) / den : -((-num + den / 2) / den));
}

// Scales the size of pos by num/den, keeping the corner the window is
// anchored at: the bottom of a window slid away up, the right of one slid
// away left, the top left of every other.
WindowPos Resized(WindowPos pos, int32_t num, int32_t den)
{
    int32_t w = Rounded((int64_t)(pos.right - pos.left) * num, den);
    int32_t h = Rounded((int64_t)(pos.bottom - pos.top) * num, den);
    int32_t hidden = pos.dockState & DOCK_HIDDEN_MASK;
    int32_t edge = pos.dockState & DOCK_EDGE_MASK;
    if (hidden && edge == DOCK_TOP)
        pos.top = pos.bottom - h;
    else
        pos.bottom = pos.top + h;
    if (hidden && edge == DOCK_LEFT)
        pos.left = pos.right - w;
    else
        pos.right = pos.left + w;
    return pos;
}

int32_t SaneDpi(int32_t dpi) { return dpi > 0 ? dpi : BASE_DPI; }

}   // namespace

int32_t ScaleForDpi(int32_t value96, int32_t dpi) { return Rounded((int64_t)value96 * SaneDpi(dpi), BASE_DPI); }

int32_t UnscaleForDpi(int32_t pixels, int32_t dpi) { return Rounded((int64_t)pixels * BASE_DPI, SaneDpi(dpi)); }

WindowPos StoredToScreen(WindowPos stored, int32_t dpi) { return Resized(stored, SaneDpi(dpi), BASE_DPI); }

WindowPos ScreenToStored(WindowPos screen, int32_t dpi) { return Resized(screen, BASE_DPI, SaneDpi(dpi)); }

int32_t ToolbarPictureSize(int32_t dpi)
{
    const int32_t wanted = ScaleForDpi(16, dpi);
    const int32_t sizes[] = {16, 24, 32};
    int32_t best = sizes[0];
    for (int32_t size : sizes) {
        int32_t d = size > wanted ? size - wanted : wanted - size;
        int32_t bestD = best > wanted ? best - wanted : wanted - best;
        if (d <= bestD)
            best = size;
    }
    return best;
}
