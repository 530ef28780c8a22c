#include <gtest/gtest.h>

#include "ui/skin_message_box.h"
#include "ui/ui_scale.h"

namespace {

struct ScaleCase {
    int dpi;
    int width;
    float scale;
};

TEST(UiScale, FollowsDpiThenScreenWidth) {
    const ScaleCase cases[] = {
        {96, 1366, 1.0f},         {96, 1920, 1.0f},          {96, 1921, 1921.0f / 1920.0f},
        {96, 2560, 2560.0f / 1920.0f}, {96, 640, 640.0f / 1920.0f}, {96, 757, 1.0f},
        {96, 756, 756.0f / 1920.0f},   {120, 1920, 1.25f},         {120, 640, 1.25f},
        {144, 3840, 1.5f},
        // A screen that reports no width keeps the design size; so does a failed dpi query.
        {96, 0, 1.0f},            {0, 1366, 1.0f},
    };
    for (const ScaleCase& c : cases) {
        EXPECT_FLOAT_EQ(ComputeUiScale(c.dpi, c.width), c.scale) << c.dpi << " dpi, " << c.width;
    }
}

TEST(UiScale, ProcessValueIsKeptAndScalesDesignPixels) {
    const float first = GetUiScale();
    EXPECT_EQ(GetUiScale(), first);
    OverrideUiScaleInputs(120, 1920);
    EXPECT_FLOAT_EQ(GetUiScale(), 1.25f);
    EXPECT_EQ(ScalePixels(780), 975);
    EXPECT_EQ(ScalePixels(340), 425);
    EXPECT_EQ(ScalePixels(91), 113);  // truncated, not rounded
    OverrideUiScaleInputs(96, 1920);
    EXPECT_EQ(ScalePixels(91), 91);
}

TEST(MessageBoxStyle, OnlyTheSystemOneButtonStylesShowOneButton) {
    for (int style : {0, 0x10, 0x20, 0x30, 0x40, 0x4000}) EXPECT_TRUE(IsSingleButtonStyle(style));
    for (int style : {1, 2, 3, 4, 5, 0x11, 0x24, 0x4001, -1}) {
        EXPECT_FALSE(IsSingleButtonStyle(style)) << style;
    }
}

}  // namespace
