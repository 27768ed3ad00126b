// An enumerator over a snapshot taken when it was made (IEnumConnectionPoints,
// IEnumConnections): later changes of the source do not show.  Clones share
// the snapshot and start at the clone's position.
#pragma once
#include <windows.h>
#include <unknwn.h>
#include <memory>
#include <new>
#include <utility>
#include <vector>
#include "com/module.h"

namespace fexo::com {

// Policy: `static void AddRef(const Item&)`, `static void Release(Item&)`;
// the snapshot holds one reference per item, each item handed out another.
template <class IEnum, class Item, class Policy>
class SnapshotEnumerator final : public IEnum {
public:
    // `fill(add)` calls add(item) for each item, in order; the snapshot
    // takes its own reference on each.  Throws std::bad_alloc, having
    // released what it took.
    template <class Fill>
    static IEnum* Create(Fill&& fill)
    {
        auto snapshot = std::make_shared<Snapshot>();
        fill([&](const Item& item) {
            snapshot->items.push_back(item);
            Policy::AddRef(item);
        });
        return new SnapshotEnumerator(std::move(snapshot), 0);
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, __uuidof(IEnum)))
            return E_NOINTERFACE;
        *out = static_cast<IEnum*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refCount; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ULONG count = --m_refCount;
        if (count == 0) delete this;
        return count;
    }

    STDMETHODIMP Next(ULONG wanted, Item* items, ULONG* fetched) override
    {
        if (!items || (wanted != 1 && !fetched)) return E_POINTER;
        const std::vector<Item>& all = m_snapshot->items;
        ULONG count = 0;
        for (; count < wanted && m_position < all.size(); ++count, ++m_position) {
            items[count] = all[m_position];
            Policy::AddRef(items[count]);
        }
        if (fetched) *fetched = count;
        return count == wanted ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override
    {
        const size_t left = m_snapshot->items.size() - m_position;
        if (count > left) {
            m_position = m_snapshot->items.size();
            return S_FALSE;
        }
        m_position += count;
        return S_OK;
    }
    STDMETHODIMP Reset() override
    {
        m_position = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnum** clone) override
    {
        if (!clone) return E_POINTER;
        *clone = new (std::nothrow) SnapshotEnumerator(m_snapshot, m_position);
        return *clone ? S_OK : E_OUTOFMEMORY;
    }

private:
    struct Snapshot {
        std::vector<Item> items;
        ~Snapshot()
        {
            for (Item& item : items) Policy::Release(item);
        }
    };

    // A live enumerator keeps the server loaded, like every other object.
    SnapshotEnumerator(std::shared_ptr<Snapshot> snapshot, size_t position)
        : m_snapshot(std::move(snapshot)), m_position(position)
    {
        Module::Lock();
    }
    ~SnapshotEnumerator() { Module::Unlock(); }

    ULONG m_refCount = 1;
    std::shared_ptr<Snapshot> m_snapshot;
    size_t m_position;
};

}  // namespace fexo::com
