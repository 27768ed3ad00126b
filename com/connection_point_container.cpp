#include "com/connection_point_container.h"
#include "com/snapshot_enumerator.h"

namespace fexo::com {

namespace {
struct PointPolicy {
    static void AddRef(IConnectionPoint* const& point) { point->AddRef(); }
    static void Release(IConnectionPoint*& point) { point->Release(); }
};
using PointEnumerator = SnapshotEnumerator<IEnumConnectionPoints, IConnectionPoint*, PointPolicy>;
}  // namespace

STDMETHODIMP ConnectionPointContainer::EnumConnectionPoints(IEnumConnectionPoints** points)
{
    if (!points) return E_POINTER;
    *points = nullptr;
    try {
        *points = PointEnumerator::Create([&](auto add) {
            for (size_t i = 0; ConnectionPoint* point = ConnectionPointAt(i); ++i) add(point);
        });
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

STDMETHODIMP ConnectionPointContainer::FindConnectionPoint(REFIID iid, IConnectionPoint** point)
{
    if (!point) return E_POINTER;
    *point = nullptr;
    for (size_t i = 0; ConnectionPoint* candidate = ConnectionPointAt(i); ++i) {
        if (IsEqualIID(iid, candidate->Iid())) {
            *point = candidate;
            candidate->AddRef();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

}  // namespace fexo::com
