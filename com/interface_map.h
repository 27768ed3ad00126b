// Declarative interface maps: a class lists the interfaces it answers, in
// lookup order, as a table; QueryInterface walks the table.
//
//   static const InterfaceMap<CFoo>& Interfaces() {
//       static const InterfaceMap<CFoo> map = {
//           Expose<CFoo, IFoo>(),
//           Expose<CFoo, IDispatch, IFoo>(),   // IDispatch answered by IFoo
//       };
//       return map;
//   }
#pragma once
#include <windows.h>
#include <unknwn.h>
#include <vector>

namespace fexo::com {

template <class T>
struct InterfaceEntry {
    const IID* iid;
    IUnknown* (*get)(T* object);
};

template <class T>
using InterfaceMap = std::vector<InterfaceEntry<T>>;

// Answers `iid` with the object's `Interface`, reached through its `Via`
// base (they differ when several identifiers share one interface pointer).
template <class T, class Interface, class Via = Interface>
InterfaceEntry<T> ExposeAs(const IID& iid)
{
    return {&iid, [](T* object) -> IUnknown* {
                return static_cast<Interface*>(static_cast<Via*>(object));
            }};
}

// The same for an interface whose identifier the headers attach to its type.
template <class T, class Interface, class Via = Interface>
InterfaceEntry<T> Expose()
{
    return ExposeAs<T, Interface, Via>(__uuidof(Interface));
}

// IUnknown is answered by the first entry, the object's main interface.
template <class T>
HRESULT QueryInterfaceFromMap(T* object, const InterfaceMap<T>& map, REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (map.empty()) return E_NOINTERFACE;
    if (IsEqualIID(iid, IID_IUnknown)) {
        *out = map.front().get(object);
    } else {
        for (const InterfaceEntry<T>& entry : map) {
            if (IsEqualIID(iid, *entry.iid)) {
                *out = entry.get(object);
                break;
            }
        }
    }
    if (!*out) return E_NOINTERFACE;
    static_cast<IUnknown*>(*out)->AddRef();
    return S_OK;
}

}  // namespace fexo::com
