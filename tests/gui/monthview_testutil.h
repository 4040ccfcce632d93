// Helpers of the month window tests: the program is started in a fresh
// directory before each test and stopped after it.
#pragma once
#include <gtest/gtest.h>
#include "fixture.h"
#include "../../app/shell.h"
#include "../../monthview/monthview.h"
#include "../../resources/resource.h"
#include "../../records/settings.h"

struct MonthViewTest : public ::testing::Test {
    void SetUp() override
    {
        ASSERT_EQ(1, StartProgramInTempDir(nullptr));
        // no auto-hide behind the test's back while it pumps messages
        KillTimer(MonthWindow, TIMER_AUTOHIDE);
        DockWindowActive = 0;
    }
    void TearDown() override { StopProgram(); }
};

inline RECT Rect(LONG left, LONG top, LONG right, LONG bottom)
{
    RECT r = {left, top, right, bottom};
    return r;
}

inline RECT ScreenRect(HWND window)
{
    RECT r = {0, 0, 0, 0};
    GetWindowRect(window, &r);
    return r;
}

#define EXPECT_RECT(r, l, t, ri, b)                                                                          \
    do {                                                                                                     \
        RECT rr_ = (r);                                                                                      \
        EXPECT_EQ((LONG)(l), rr_.left);                                                                      \
        EXPECT_EQ((LONG)(t), rr_.top);                                                                       \
        EXPECT_EQ((LONG)(ri), rr_.right);                                                                    \
        EXPECT_EQ((LONG)(b), rr_.bottom);                                                                    \
    } while (0)
