// The splash window's countdown and the second start's text that changes it.
#include <gtest/gtest.h>

#include <cstring>

#include "splash_window.h"

namespace {

TEST(SplashWindow, SecondStartText) {
    struct Case {
        const char* text;
        bool taken;
        int value;
    } cases[] = {
        {"x.exe |SPLASH|60", true, 60}, {"|SPLASH|-1", true, -1}, {"|SPLASH|0", false, 0},
        {"|SPLASH|130", false, 0},      {"|SPLASH|129x", true, 129}, {"|SPLASH|", false, 0},
        {"|SPLASH|-2", false, 0},       {"SPLASH|5", false, 0},     {"|SPLASH|99999999999", false, 0},
    };
    for (const Case& c : cases) {
        int v = 0;
        EXPECT_EQ(ParseSplashCopyData(c.text, strlen(c.text), &v), c.taken) << c.text;
        if (c.taken) EXPECT_EQ(v, c.value) << c.text;
    }
    int v = 0;
    EXPECT_FALSE(ParseSplashCopyData("|SPLASH|5", 7, &v));
    EXPECT_FALSE(ParseSplashCopyData(nullptr, 5, &v));
}

TEST(SplashWindow, Countdown) {
    SplashCountdown c;
    c.Set(25);
    c.SetRemaining(60);
    EXPECT_EQ(c.remaining, 60);
    EXPECT_EQ(c.total, 85);
    EXPECT_EQ(c.Percent(), 29);
    SplashCountdown d;
    d.Set(40);
    for (int i = 0; i < 28; ++i) EXPECT_FALSE(d.Tick());
    EXPECT_FALSE(d.CloseButtonVisible());
    d.Tick();
    EXPECT_TRUE(d.CloseButtonVisible());
    d.SetRemaining(1);
    EXPECT_TRUE(d.Tick());
    EXPECT_FALSE(d.Tick());
    SplashCountdown stopped;
    stopped.Set(10);
    stopped.SetRemaining(-1);
    EXPECT_FALSE(stopped.Tick());
    EXPECT_EQ(SplashCountdown().Percent(), 0);
}

}  // namespace
