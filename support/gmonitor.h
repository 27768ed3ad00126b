// The library's recursive lock: a thread may enter it again while it holds
// it, and leaves it as often as it entered.
#pragma once
#include <windows.h>
#include <cstdint>

class GMonitor {
public:
    GMonitor();
    ~GMonitor();
    GMonitor(const GMonitor&) = delete;
    GMonitor& operator=(const GMonitor&) = delete;

    void Enter();
    // Raises "GThreads.not_acq_broad" when the calling thread does not hold it.
    void Leave();

private:
    // 1 once initialised, 0 while being destroyed (then nothing blocks).
    volatile int32_t m_ready = 0;
    // 1 when free, 0 when held once, one lower for each recursive entry.
    int32_t m_entryCount = 1;
    DWORD m_holder = 0;
    CRITICAL_SECTION m_section;
};

class GMonitorLock {
public:
    explicit GMonitorLock(GMonitor& monitor) : m_monitor(monitor) { m_monitor.Enter(); }
    ~GMonitorLock() { m_monitor.Leave(); }
    GMonitorLock(const GMonitorLock&) = delete;
    GMonitorLock& operator=(const GMonitorLock&) = delete;

private:
    GMonitor& m_monitor;
};
