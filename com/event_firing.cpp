#include "com/event_firing.h"
#include <vector>
#include "com/bstr.h"
#include "com/com_ptr.h"

namespace fexo::com {

EventArgument EventArgument::Long(LONG value)
{
    EventArgument argument;
    argument.m_type = VT_I4;
    argument.m_long = value;
    return argument;
}

EventArgument EventArgument::Text(BSTR value)
{
    EventArgument argument;
    argument.m_type = VT_BSTR;
    argument.m_text = Bstr(value);
    return argument;
}

EventArgument EventArgument::BoolRef(VARIANT_BOOL* value)
{
    EventArgument argument;
    argument.m_type = VT_BOOL | VT_BYREF;
    argument.m_reference = value;
    return argument;
}

EventArgument EventArgument::TextRef(BSTR* value)
{
    EventArgument argument;
    argument.m_type = VT_BSTR | VT_BYREF;
    argument.m_reference = value;
    return argument;
}

void EventArgument::Fill(VARIANT& slot) const
{
    VariantInit(&slot);
    switch (m_type) {
        case VT_I4:
            V_I4(&slot) = m_long;
            break;
        case VT_BSTR:
            V_BSTR(&slot) = m_text.CopyOut();
            break;
        case VT_BOOL | VT_BYREF:
            V_BOOLREF(&slot) = static_cast<VARIANT_BOOL*>(m_reference);
            break;
        case VT_BSTR | VT_BYREF:
            V_BSTRREF(&slot) = static_cast<BSTR*>(m_reference);
            break;
        default:
            return;
    }
    V_VT(&slot) = m_type;
}

namespace {

// The argument variants of one call, cleared when the call is over.
class CallArguments {
public:
    explicit CallArguments(size_t count) : m_values(count) {}
    ~CallArguments()
    {
        for (VARIANT& value : m_values) VariantClear(&value);
    }
    VARIANT* Data() { return m_values.data(); }
    VARIANT& operator[](size_t i) { return m_values[i]; }

private:
    std::vector<VARIANT> m_values;  // VARIANT{} is VT_EMPTY
};

}  // namespace

LONG FireEvent(const ConnectionPoint& point, DISPID id,
               std::initializer_list<EventArgument> arguments)
{
    // A sink may drop the owner's last reference: the owner, and with it the
    // sink table, must outlive the loop.
    ComPtr<IUnknown> owner(point.Owner().ControllingUnknown());
    VARIANT result{};  // VT_EMPTY with a zero value
    const size_t capacity = point.Capacity();
    for (size_t slot = 0; slot < capacity; ++slot) {
        ComPtr<IDispatch> sink(static_cast<IDispatch*>(point.SinkAt(slot)));
        if (!sink) continue;
        VariantClear(&result);
        CallArguments values(arguments.size());
        // Dispatch wants the last argument first.
        size_t index = arguments.size();
        for (const EventArgument& argument : arguments) argument.Fill(values[--index]);
        DISPPARAMS params{values.Data(), nullptr, static_cast<UINT>(arguments.size()), 0};
        sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr,
                     nullptr);
    }
    const LONG value = V_I4(&result);
    VariantClear(&result);
    return value;
}

}  // namespace fexo::com
