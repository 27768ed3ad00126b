// The recursive monitor: entries counted per thread, a leave by a thread that
// does not hold it refused, and another thread let in only when the holder
// has left as often as it entered.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "support/gexception.h"
#include "support/gmonitor.h"

namespace {

GMonitor* g_monitor;
HANDLE g_entered;

std::string Leave()
{
    try {
        g_monitor->Leave();
    } catch (const GException& exception) {
        return std::string(exception.GetCause()) + "; ";
    }
    return "left; ";
}

DWORD WINAPI EnterAndLeave(void*)
{
    g_monitor->Enter();
    SetEvent(g_entered);
    return Leave() == "left; " ? 0 : 1;
}

DWORD WINAPI LeaveWithoutEntering(void* journal)
{
    *static_cast<std::string*>(journal) += "other thread: " + Leave();
    return 0;
}

TEST(GMonitor, AnotherThreadEntersWhenTheHolderHasLeftAsOftenAsItEntered)
{
    GMonitor monitor;
    g_monitor = &monitor;
    g_entered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::string journal;
    auto entered = [&](DWORD wait) {
        journal += WaitForSingleObject(g_entered, wait) == WAIT_OBJECT_0 ? "in; " : "waits; ";
    };
    monitor.Enter();
    monitor.Enter();
    HANDLE contender = CreateThread(nullptr, 0, EnterAndLeave, nullptr, 0, nullptr);
    entered(200);
    HANDLE intruder = CreateThread(nullptr, 0, LeaveWithoutEntering, &journal, 0, nullptr);
    WaitForSingleObject(intruder, INFINITE);
    for (DWORD wait : {200, 5000}) {
        journal += Leave();
        entered(wait);
    }
    WaitForSingleObject(contender, INFINITE);
    journal += Leave();
    monitor.Enter();
    monitor.Enter();
    for (int i = 0; i < 3; ++i) journal += Leave();
    EXPECT_EQ(journal, "waits; other thread: GThreads.not_acq_broad; left; waits; left; in; "
                       "GThreads.not_acq_broad; left; left; GThreads.not_acq_broad; ");
    for (HANDLE handle : {contender, intruder, g_entered}) CloseHandle(handle);
}

}  // namespace
