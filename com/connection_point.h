// One outgoing interface of an object: the sinks connected to it, kept in a
// table of slots.  The table is empty until the first Advise, then has 4
// slots and doubles whenever an Advise finds none free; a cookie is its
// slot's index + 1, and slots are never compacted, so cookies stay valid and
// the capacity only grows.
//
// The point lives inside its owner and shares the owner's reference count.
#pragma once
#include <ocidl.h>
#include <olectl.h>
#include <vector>
#include "com/com_object.h"

namespace fexo::com {

class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(ObjectRoot& owner, const IID& iid) : m_owner(owner), m_iid(iid) {}
    ~ConnectionPoint();
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    // IUnknown: this interface only; counts go to the owner.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IConnectionPoint
    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

    const IID& Iid() const { return m_iid; }
    ObjectRoot& Owner() const { return m_owner; }

    // Number of slots, used or not.
    size_t Capacity() const { return m_slots.size(); }
    // The sink in a slot (as queried for the point's interface), or null.
    IUnknown* SinkAt(size_t slot) const { return slot < m_slots.size() ? m_slots[slot] : nullptr; }

private:
    ObjectRoot& m_owner;
    const IID& m_iid;
    std::vector<IUnknown*> m_slots;
};

}  // namespace fexo::com
