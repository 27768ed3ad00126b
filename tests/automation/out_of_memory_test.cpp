// Allocation failures while the control copies texts: a method answers
// E_OUTOFMEMORY and fires nothing; a notification from the plugin is
// dropped and the callback returns normally; afterwards all works again.
#include "control_fixture.h"
#include "event_sink.h"
#include "failing_allocator.h"

using namespace fexo::test;
using Events = std::vector<std::string>;

namespace {

class OutOfMemory : public ControlFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FailingAllocations::Available()) << "OANOCACHE must be set";
        ControlFixture::SetUp();
        Activate();
        ASSERT_EQ(sink.Advise(control), 1u);
        text = SysAllocString(L"1");
    }
    void TearDown() override
    {
        SysFreeString(text);
        sink.Unadvise(control, 1);
        ControlFixture::TearDown();
    }

    EventSink sink;
    BSTR text = nullptr;
};

TEST_F(OutOfMemory, MethodsAnswerOutOfMemory)
{
    const StandinAnswer zoom = {"150", 0, 0, 0, 0, false};
    standin->SetAnswer("ZOOM", &zoom);
    Callbacks().error(instance, "earlier");
    sink.events.clear();
    standin->QueueResult("fexop_GetDocPagesCount", 1);
    BSTR out = nullptr;
    {
        FailingAllocations failing;
        EXPECT_EQ(control->put_Flags(text), E_OUTOFMEMORY);
        EXPECT_EQ(control->get_Zoom(&out), E_OUTOFMEMORY);
        EXPECT_EQ(control->get_noMenu(&out), E_OUTOFMEMORY);
        EXPECT_EQ(control->put_noToolbar(text), E_OUTOFMEMORY);
        EXPECT_EQ(control->get_UserId(&out), E_OUTOFMEMORY);
        EXPECT_EQ(control->GetLastFexoError(&out), E_OUTOFMEMORY);
        EXPECT_EQ(control->CmdDocInfo(), E_OUTOFMEMORY);
        EXPECT_EQ(control->SaveAs(text, text), E_OUTOFMEMORY);
        EXPECT_EQ(control->put_Thumbnails(text), E_OUTOFMEMORY);
    }
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(sink.events, Events{}) << "no event fired";
    EXPECT_EQ(Journal(),
              "fexop_GetProperty(name=\"ZOOM\" text=empty number=null integer=null "
              "short=null flag=null)\n"
              "fexop_GetDocPagesCount()\n")
        << "texts that could not be copied were not sent";
    EXPECT_EQ(standin->LiveStrings(), 0) << "the answer went back to the plugin";

    EXPECT_EQ(control->get_Zoom(&out), S_OK);
    EXPECT_STREQ(out, L"150");
    SysFreeString(out);
    EXPECT_EQ(control->GetLastFexoError(&out), S_OK);
    EXPECT_STREQ(out, L"earlier") << "the last error is unchanged";
    SysFreeString(out);
}

TEST_F(OutOfMemory, NotificationsAreDroppedInsideTheCallback)
{
    PasswordRequest request{1, "http://doc/", "u", "p"};
    int32_t result = 5;
    {
        FailingAllocations failing;
        Callbacks().event(instance, "ZoomChange", "fit", 0, 0, 0, 0);
        Callbacks().event(instance, "PageChange", nullptr, 0, 0, 4, 0);
        Callbacks().error(instance, "lost");
        Callbacks().complexEvent(instance, "HyperlinkClickEvent", "http://a/", nullptr, nullptr, 0,
                                 0, 0, 0, 0, 1);
        Callbacks().password(instance, &request, &result);
    }
    EXPECT_EQ(sink.events, Events{});
    EXPECT_EQ(Journal(), "") << "no hyperlink followed";
    EXPECT_EQ(request.userId[0], 0);
    EXPECT_EQ(result, 5) << "no answer for a dropped request";

    Callbacks().event(instance, "ZoomChange", "fit", 0, 0, 0, 0);
    EXPECT_EQ(sink.events, Events{"ZoomChange(\"fit\")"});
}

}  // namespace
