// How the plugin's event names and values are read.
#include <gtest/gtest.h>
#include "control/plugin_event_rules.h"

using namespace fexo::control;

TEST(ClassifyPluginEvent, NamesMatchWithoutRegardToCase)
{
    EXPECT_EQ(ClassifyPluginEvent("PageLoaded"), PluginEvent::PageLoaded);
    EXPECT_EQ(ClassifyPluginEvent("pagechange"), PluginEvent::PageChange);
    EXPECT_EQ(ClassifyPluginEvent("ZOOMCHANGE"), PluginEvent::ZoomChange);
    EXPECT_EQ(ClassifyPluginEvent("DisplayModeChange"), PluginEvent::DisplayModeChange);
    EXPECT_EQ(ClassifyPluginEvent("backForwardChange"), PluginEvent::BackForwardChange);
    EXPECT_EQ(ClassifyPluginEvent("ScrollEvent"), PluginEvent::ScrollEvent);
    EXPECT_EQ(ClassifyPluginEvent("LayoutChange"), PluginEvent::LayoutChange);
    EXPECT_EQ(ClassifyPluginEvent("PageChanged"), PluginEvent::Unknown);
    EXPECT_EQ(ClassifyPluginEvent("PageChang"), PluginEvent::Unknown);
    EXPECT_EQ(ClassifyPluginEvent("HyperlinkClickEvent"), PluginEvent::Unknown);
    EXPECT_EQ(ClassifyPluginEvent(""), PluginEvent::Unknown);
    EXPECT_EQ(ClassifyPluginEvent(nullptr), PluginEvent::Unknown);
}

TEST(IsHyperlinkClickEvent, OneNameInAnyCase)
{
    EXPECT_TRUE(IsHyperlinkClickEvent("HyperlinkClickEvent"));
    EXPECT_TRUE(IsHyperlinkClickEvent("hyperlinkclickevent"));
    EXPECT_FALSE(IsHyperlinkClickEvent("HyperlinkClick"));
    EXPECT_FALSE(IsHyperlinkClickEvent(nullptr));
}

TEST(DisplayModeName, LowSixteenBitsNameTheMode)
{
    EXPECT_STREQ(DisplayModeName(0), "COLOR");
    EXPECT_STREQ(DisplayModeName(1), "BW");
    EXPECT_STREQ(DisplayModeName(2), "BACK");
    EXPECT_STREQ(DisplayModeName(3), "FORE");
    EXPECT_STREQ(DisplayModeName(7), "");
    EXPECT_STREQ(DisplayModeName(-1), "");
    EXPECT_STREQ(DisplayModeName(65536), "COLOR");
    EXPECT_STREQ(DisplayModeName(65537), "BW");
}

TEST(BackForwardText, LowSixteenBitsOfEachAsSigned)
{
    EXPECT_EQ(BackForwardText(1, 65535), "1,-1");
    EXPECT_EQ(BackForwardText(0, 0), "0,0");
    EXPECT_EQ(BackForwardText(65536 + 3, 32768), "3,-32768");
    EXPECT_EQ(BackForwardText(-32768, -32768), "-32768,-32768");
}
