// Declarative property maps: the properties a control persists, in the order
// they are loaded and saved.  A data row copies a 4-byte field of the control
// (its extent) straight to or from the medium; a dispatch row goes through
// the control's own IDispatch by dispatch identifier: its get handler when
// saving, its put handler when loading, with the value type its get returns.
//
//   static const PropertyMap map = {
//       DataRow(L"_cx", ControlBase::ExtentWidth),
//       DispatchRow(L"SRC", 1),
//   };
#pragma once
#include <windows.h>
#include <oaidl.h>
#include <vector>

namespace fexo::com {

class ControlBase;

struct PropertyRow {
    const wchar_t* name;
    DISPID dispid;                          // a dispatch row's property
    LONG* (*field)(ControlBase& control);  // a data row's field; null for a dispatch row

    bool IsData() const { return field != nullptr; }
};

using PropertyMap = std::vector<PropertyRow>;

inline PropertyRow DataRow(const wchar_t* name, LONG* (*field)(ControlBase&))
{
    return {name, DISPID_UNKNOWN, field};
}

inline PropertyRow DispatchRow(const wchar_t* name, DISPID dispid)
{
    return {name, dispid, nullptr};
}

}  // namespace fexo::com
