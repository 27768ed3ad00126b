// The recursive monitor: entry counting per thread, and a second thread that
// waits until the holder has left as often as it entered.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "support/gexception.h"
#include "support/gmonitor.h"

namespace {

std::string LeaveFault(GMonitor& monitor)
{
    try {
        monitor.Leave();
    } catch (const GException& exception) {
        return exception.GetCause();
    }
    return "(left)";
}

struct Contender {
    GMonitor* monitor;
    HANDLE entered;   // set when the thread holds the monitor
    HANDLE release;   // the thread leaves when this is set
    std::string leaveFault;
};

DWORD WINAPI HoldUntilReleased(void* parameter)
{
    auto* contender = static_cast<Contender*>(parameter);
    contender->monitor->Enter();
    SetEvent(contender->entered);
    WaitForSingleObject(contender->release, INFINITE);
    contender->leaveFault = LeaveFault(*contender->monitor);
    return 0;
}

DWORD WINAPI LeaveWithoutEntering(void* parameter)
{
    auto* contender = static_cast<Contender*>(parameter);
    contender->leaveFault = LeaveFault(*contender->monitor);
    return 0;
}

TEST(GMonitor, ASecondThreadWaitsUntilTheHolderHasLeftAsOftenAsItEntered)
{
    GMonitor monitor;
    Contender contender{&monitor, CreateEventA(nullptr, TRUE, FALSE, nullptr),
                        CreateEventA(nullptr, TRUE, TRUE, nullptr), ""};
    monitor.Enter();
    monitor.Enter();
    HANDLE thread = CreateThread(nullptr, 0, HoldUntilReleased, &contender, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(contender.entered, 200), static_cast<DWORD>(WAIT_TIMEOUT));

    // Another thread cannot leave what this one holds.
    Contender intruder{&monitor, nullptr, nullptr, ""};
    HANDLE intruderThread = CreateThread(nullptr, 0, LeaveWithoutEntering, &intruder, 0, nullptr);
    WaitForSingleObject(intruderThread, INFINITE);
    CloseHandle(intruderThread);
    EXPECT_EQ(intruder.leaveFault, "GThreads.not_acq_broad");

    monitor.Leave();
    EXPECT_EQ(WaitForSingleObject(contender.entered, 200), static_cast<DWORD>(WAIT_TIMEOUT))
        << "still held once";
    monitor.Leave();
    EXPECT_EQ(WaitForSingleObject(contender.entered, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
    WaitForSingleObject(thread, INFINITE);
    EXPECT_EQ(contender.leaveFault, "(left)");
    EXPECT_EQ(LeaveFault(monitor), "GThreads.not_acq_broad") << "the other thread held it last";
    EXPECT_EQ(LeaveFault(monitor), "GThreads.not_acq_broad") << "the fault changed nothing";

    monitor.Enter();
    monitor.Enter();
    EXPECT_EQ(LeaveFault(monitor), "(left)") << "free again";
    EXPECT_EQ(LeaveFault(monitor), "(left)");
    EXPECT_EQ(LeaveFault(monitor), "GThreads.not_acq_broad") << "left as often as entered";
    CloseHandle(thread);
    CloseHandle(contender.entered);
    CloseHandle(contender.release);
}

}  // namespace
