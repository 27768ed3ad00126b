#include "com/connection_point.h"
#include <algorithm>
#include "com/snapshot_enumerator.h"

namespace fexo::com {

namespace {

constexpr size_t kFirstCapacity = 4;

struct ConnectionPolicy {
    static void AddRef(const CONNECTDATA& item) { item.pUnk->AddRef(); }
    static void Release(CONNECTDATA& item) { item.pUnk->Release(); }
};
using ConnectionEnumerator = SnapshotEnumerator<IEnumConnections, CONNECTDATA, ConnectionPolicy>;

}  // namespace

ConnectionPoint::~ConnectionPoint()
{
    for (IUnknown*& sink : m_slots) {
        if (IUnknown* old = std::exchange(sink, nullptr)) old->Release();
    }
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IConnectionPoint))
        return E_NOINTERFACE;
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ConnectionPoint::AddRef() { return m_owner.ControllingUnknown()->AddRef(); }
STDMETHODIMP_(ULONG) ConnectionPoint::Release() { return m_owner.ControllingUnknown()->Release(); }

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid)
{
    if (!iid) return E_POINTER;
    *iid = m_iid;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container)
{
    if (!container) return E_POINTER;
    return m_owner.ControllingUnknown()->QueryInterface(IID_IConnectionPointContainer,
                                                        reinterpret_cast<void**>(container));
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    IUnknown* connected = nullptr;
    if (FAILED(sink->QueryInterface(m_iid, reinterpret_cast<void**>(&connected))) || !connected)
        return CONNECT_E_CANNOTCONNECT;

    auto free = std::find(m_slots.begin(), m_slots.end(), nullptr);
    if (free == m_slots.end()) {
        // The QueryInterface above may have re-entered and advised others:
        // the table is measured only now.
        const size_t used = m_slots.size();
        try {
            m_slots.resize(used ? used * 2 : kFirstCapacity, nullptr);
        } catch (...) {
            connected->Release();
            return CONNECT_E_ADVISELIMIT;
        }
        free = m_slots.begin() + static_cast<std::ptrdiff_t>(used);
    }
    *free = connected;
    *cookie = static_cast<DWORD>(free - m_slots.begin()) + 1;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie)
{
    if (cookie == 0 || cookie > m_slots.size() || !m_slots[cookie - 1])
        return CONNECT_E_NOCONNECTION;
    // The slot is empty before the sink hears of it: its release may re-enter.
    std::exchange(m_slots[cookie - 1], nullptr)->Release();
    return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** connections)
{
    if (!connections) return E_POINTER;
    *connections = nullptr;
    try {
        *connections = ConnectionEnumerator::Create([&](auto add) {
            for (size_t slot = 0; slot < m_slots.size(); ++slot)
                if (m_slots[slot]) add(CONNECTDATA{m_slots[slot], static_cast<DWORD>(slot + 1)});
        });
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace fexo::com
