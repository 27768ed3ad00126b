// IPersistStreamInit, IPersistStorage and IPersistPropertyBag: the control's
// property map written to and read from a stream, a storage's "Contents"
// stream and a property bag.  Dispatch rows run the property handlers
// through the control's own IDispatch, in map order.
#include <climits>
#include <cstring>
#include "com/bstr.h"
#include "com/control_base.h"
#include "com/property_stream.h"

namespace fexo::com {

namespace {

HRESULT GetProperty(IDispatch* dispatch, DISPID id, VARIANT& value)
{
    DISPPARAMS none{};
    return dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                            &value, nullptr, nullptr);
}

HRESULT PutProperty(IDispatch* dispatch, DISPID id, VARIANT& value)
{
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &named, 1, 1};
    return dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                            nullptr, nullptr, nullptr);
}

// A VARIANT that starts zeroed (so that a callee that fails leaves nothing to
// free by mistake) and is cleared when it goes.
struct Variant : VARIANT {
    Variant() { std::memset(static_cast<VARIANT*>(this), 0, sizeof(VARIANT)); }
    ~Variant() { VariantClear(this); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
};

// False for a type that has no stream form.
bool ToPersisted(const VARIANT& variant, PersistedValue& value)
{
    value = PersistedValue{};
    value.type = V_VT(&variant);
    if (value.type == VT_BSTR) {
        value.hasText = V_BSTR(&variant) != nullptr;
        if (value.hasText)
            value.text.assign(reinterpret_cast<const char16_t*>(V_BSTR(&variant)),
                              SysStringLen(V_BSTR(&variant)));
        return true;
    }
    const int size = ScalarSize(value.type);
    if (size < 0) return false;
    std::memcpy(&value.scalar, &V_UI1(&variant), static_cast<size_t>(size));
    return true;
}

// Throws OutOfMemory when the string cannot be made.
void FromPersisted(const PersistedValue& value, VARIANT& variant)
{
    V_VT(&variant) = value.type;
    if (value.type == VT_BSTR) {
        if (!value.hasText) return;
        if (value.text.size() > UINT_MAX / 2) throw OutOfMemory{};
        V_BSTR(&variant) = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(value.text.data()),
                                             static_cast<UINT>(value.text.size()));
        if (!V_BSTR(&variant)) throw OutOfMemory{};
        return;
    }
    std::memcpy(&V_UI1(&variant), &value.scalar, static_cast<size_t>(ScalarSize(value.type)));
}

class StreamSource : public ByteSource {
public:
    explicit StreamSource(IStream* stream) : m_stream(stream) {}

    bool Read(void* buffer, size_t size) override
    {
        auto* bytes = static_cast<BYTE*>(buffer);
        while (size) {
            const ULONG piece = size > ULONG_MAX ? ULONG_MAX : static_cast<ULONG>(size);
            ULONG read = 0;
            const HRESULT hr = m_stream->Read(bytes, piece, &read);
            if (FAILED(hr)) return Fail(hr);
            // A stream that ends early is as broken as one that fails.
            if (read == 0 || read > piece) return Fail(E_FAIL);
            bytes += read;
            size -= read;
        }
        return true;
    }

    HRESULT Result() const { return m_result; }

private:
    bool Fail(HRESULT hr)
    {
        m_result = hr;
        return false;
    }

    IStream* m_stream;
    HRESULT m_result = E_FAIL;
};

// Applies each row as it is read: data rows to their field, dispatch rows
// through the property's put handler.
class RowApplier : public RowConsumer {
public:
    RowApplier(ControlBase& control, const PropertyMap& map, IDispatch* dispatch)
        : m_control(control), m_map(map), m_dispatch(dispatch)
    {
    }

    StreamStatus Data(size_t row, uint32_t value) override
    {
        *m_map[row].field(m_control) = static_cast<LONG>(value);
        return StreamStatus::Ok;
    }

    StreamStatus Dispatch(size_t row, PersistedValue&& value) override
    {
        Variant variant;
        try {
            FromPersisted(value, variant);
        } catch (const OutOfMemory&) {
            m_result = E_OUTOFMEMORY;
            return StreamStatus::Rejected;
        }
        if (FAILED(PutProperty(m_dispatch, m_map[row].dispid, variant))) {
            m_result = E_FAIL;
            return StreamStatus::Rejected;
        }
        return StreamStatus::Ok;
    }

    HRESULT Result() const { return m_result; }

private:
    ControlBase& m_control;
    const PropertyMap& m_map;
    IDispatch* m_dispatch;
    HRESULT m_result = E_FAIL;
};

std::vector<RowKind> LayoutOf(const PropertyMap& map)
{
    std::vector<RowKind> layout;
    layout.reserve(map.size());
    for (const PropertyRow& row : map)
        layout.push_back(row.IsData() ? RowKind::Data : RowKind::Dispatch);
    return layout;
}

HRESULT WriteAll(IStream* stream, const std::vector<uint8_t>& bytes)
{
    if (bytes.size() > ULONG_MAX) return E_OUTOFMEMORY;
    ULONG written = 0;
    const HRESULT hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
    if (FAILED(hr)) return hr;
    return written == bytes.size() ? S_OK : STG_E_MEDIUMFULL;
}

const wchar_t kContentsStream[] = L"Contents";

}  // namespace

STDMETHODIMP ControlBase::GetClassID(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = *m_class.classId;
    return S_OK;
}

STDMETHODIMP ControlBase::IsDirty() { return m_bRequiresSave ? S_OK : S_FALSE; }

STDMETHODIMP ControlBase::InitNew()
{
    m_bRequiresSave = true;
    return S_OK;
}

STDMETHODIMP ControlBase::Load(IStream* stream)
{
    if (!stream) return E_POINTER;
    return Guarded([&] {
        const PropertyMap& map = PersistedProperties();
        StreamSource source(stream);
        RowApplier applier(*this, map, PropertyDispatch());
        switch (DecodePropertyStream(source, LayoutOf(map), applier)) {
        case StreamStatus::Ok:
            m_bRequiresSave = false;
            return S_OK;
        case StreamStatus::ReadFailed: return source.Result();
        case StreamStatus::Rejected: return applier.Result();
        case StreamStatus::UnknownType: return DISP_E_BADVARTYPE;
        case StreamStatus::OutOfMemory: return E_OUTOFMEMORY;
        case StreamStatus::VersionTooNew:
        case StreamStatus::MalformedString:
        default: return E_FAIL;
        }
    });
}

HRESULT ControlBase::EncodeProperties(std::vector<uint8_t>& bytes)
{
    IDispatch* dispatch = PropertyDispatch();
    AppendVersion(bytes);
    for (const PropertyRow& row : PersistedProperties()) {
        if (row.IsData()) {
            AppendData(bytes, static_cast<uint32_t>(*row.field(*this)));
            continue;
        }
        Variant value;
        if (FAILED(GetProperty(dispatch, row.dispid, value))) return E_FAIL;
        PersistedValue persisted;
        if (!ToPersisted(value, persisted) || !AppendValue(bytes, persisted))
            return DISP_E_BADVARTYPE;
    }
    return S_OK;
}

STDMETHODIMP ControlBase::Save(IStream* stream, BOOL clearDirty)
{
    if (!stream) return E_POINTER;
    return Guarded([&] {
        std::vector<uint8_t> bytes;
        HRESULT hr = EncodeProperties(bytes);
        if (SUCCEEDED(hr)) hr = WriteAll(stream, bytes);
        if (SUCCEEDED(hr) && clearDirty) m_bRequiresSave = false;
        return hr;
    });
}

STDMETHODIMP ControlBase::GetSizeMax(ULARGE_INTEGER* size)
{
    if (!size) return E_POINTER;
    return Guarded([&] {
        std::vector<uint8_t> bytes;
        const HRESULT hr = EncodeProperties(bytes);
        size->QuadPart = SUCCEEDED(hr) ? bytes.size() : 0;
        return hr;
    });
}

STDMETHODIMP ControlBase::InitNew(IStorage*) { return InitNew(); }

STDMETHODIMP ControlBase::Load(IStorage* storage)
{
    if (!storage) return E_POINTER;
    ComPtr<IStream> stream;
    const HRESULT hr = storage->OpenStream(kContentsStream, nullptr,
                                           STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Put());
    if (FAILED(hr)) return hr;
    return Load(stream.Get());
}

// A save into another storage is a copy: the object stays unsaved.
STDMETHODIMP ControlBase::Save(IStorage* storage, BOOL sameAsLoad)
{
    if (!storage) return E_POINTER;
    ComPtr<IStream> stream;
    const HRESULT hr = storage->CreateStream(
        kContentsStream, STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_CREATE, 0, 0, stream.Put());
    if (FAILED(hr)) return hr;
    return Save(stream.Get(), sameAsLoad);
}

STDMETHODIMP ControlBase::SaveCompleted(IStorage*) { return S_OK; }
STDMETHODIMP ControlBase::HandsOffStorage() { return S_OK; }

// A parameter the bag lacks or cannot convert leaves its property alone; a
// handler that fails ends the load, the rows before it applied.
STDMETHODIMP ControlBase::Load(IPropertyBag* bag, IErrorLog* errorLog)
{
    if (!bag) return E_POINTER;
    IDispatch* dispatch = PropertyDispatch();
    for (const PropertyRow& row : PersistedProperties()) {
        if (row.IsData()) {
            Variant value;
            V_VT(&value) = VT_UI4;
            if (SUCCEEDED(bag->Read(row.name, &value, errorLog)) &&
                SUCCEEDED(VariantChangeType(&value, &value, 0, VT_UI4)))
                *row.field(*this) = static_cast<LONG>(V_UI4(&value));
            continue;
        }
        VARTYPE type;
        {
            Variant current;
            if (FAILED(GetProperty(dispatch, row.dispid, current))) return E_FAIL;
            type = V_VT(&current);
        }
        Variant value;
        V_VT(&value) = type;
        if (FAILED(bag->Read(row.name, &value, errorLog))) continue;
        if (FAILED(PutProperty(dispatch, row.dispid, value))) return E_FAIL;
    }
    m_bRequiresSave = false;
    return S_OK;
}

STDMETHODIMP ControlBase::Save(IPropertyBag* bag, BOOL clearDirty, BOOL)
{
    if (!bag) return E_POINTER;
    IDispatch* dispatch = PropertyDispatch();
    for (const PropertyRow& row : PersistedProperties()) {
        Variant value;
        if (row.IsData()) {
            V_VT(&value) = VT_UI4;
            V_UI4(&value) = static_cast<ULONG>(*row.field(*this));
        } else if (FAILED(GetProperty(dispatch, row.dispid, value))) {
            return E_FAIL;
        }
        const HRESULT hr = bag->Write(row.name, &value);
        if (FAILED(hr)) return hr;
    }
    if (clearDirty) m_bRequiresSave = false;
    return S_OK;
}

}  // namespace fexo::com
