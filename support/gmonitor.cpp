#include "support/gmonitor.h"
#include "support/gexception.h"

GMonitor::GMonitor()
{
    InitializeCriticalSection(&m_section);
    m_holder = GetCurrentThreadId();
    m_ready = 1;
}

GMonitor::~GMonitor()
{
    m_ready = 0;
    DeleteCriticalSection(&m_section);
}

void GMonitor::Enter()
{
    const DWORD self = GetCurrentThreadId();
    // Only the holder itself can find the count below 1 with its own id.
    if (m_entryCount < 1 && m_holder == self) {
        --m_entryCount;
        return;
    }
    if (m_ready) EnterCriticalSection(&m_section);
    m_holder = self;
    m_entryCount = 0;
}

void GMonitor::Leave()
{
    const DWORD self = GetCurrentThreadId();
    if (m_ready && (m_entryCount >= 1 || m_holder != self)) G_THROW("GThreads.not_acq_broad");
    if (++m_entryCount > 0) {
        m_entryCount = 1;
        if (m_ready) LeaveCriticalSection(&m_section);
    }
}
