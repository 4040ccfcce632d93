// The monitors of the desktop on plain numbers: which monitor a window is
// on, which of its edges a window may dock to, where a window that lost its
// monitor comes back, and where the alert goes beside a docked calendar.
// dock.cpp, alert.cpp and startup.cpp read the monitors and ask these.
#pragma once
#include <stdint.h>
#include "dockcalc.h"
#include "../records/settings.h"

#define SCREEN_MONITORS_MAX 16

struct ScreenMonitor {
    DockRect area;   // the whole monitor, in desktop coordinates
    DockRect work;   // the area less the taskbars and other docked bars
    int32_t dpi;
};

// The monitor sharing most of r's area with r, or when none does, the one
// nearest to r. -1 only when there are no monitors.
int MonitorOfRect(const ScreenMonitor *monitors, int count, DockRect r);
// The monitor holding p, or the nearest one; -1 when there are none.
int MonitorOfPoint(const ScreenMonitor *monitors, int count, DockPoint p);

// What a window docks to on monitor `index`: its work area and the edges
// (DOCK_TOP, DOCK_LEFT, DOCK_RIGHT) that no other monitor continues.
DockArea DockAreaOf(const ScreenMonitor *monitors, int count, int index);

// Where a window at pos belongs now. A window of which no monitor's work
// area shows a pixel, or docked to an edge that no longer is one, comes
// back on the nearest monitor at the top of its work area, docked there
// when the top is a docking edge. Returns 1 when *out differs from pos.
int ReseatWindow(const ScreenMonitor *monitors, int count, WindowPos pos, WindowPos *out);

// Where the alert of width w and height h comes to rest: at the top of the
// calendar's monitor, as near the middle as it can be without covering the
// calendar where it shows when slid out; below it when no place at the top
// is free. There it appears and goes without sliding, which would cross the
// calendar.
struct AlertPlace {
    int32_t x, y;
    int slides;
};
AlertPlace PlaceAlert(const ScreenMonitor *monitors, int count, WindowPos calendar, int32_t w, int32_t h);
