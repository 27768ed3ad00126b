// IConnectionPointContainer for an object with a fixed set of connection
// points, which it lists through ConnectionPointAt.
#pragma once
#include <ocidl.h>
#include "com/connection_point.h"

namespace fexo::com {

class ConnectionPointContainer : public IConnectionPointContainer {
public:
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

protected:
    ~ConnectionPointContainer() = default;

    // The object's connection points in enumeration order; null past the last.
    virtual ConnectionPoint* ConnectionPointAt(size_t index) = 0;
};

}  // namespace fexo::com
