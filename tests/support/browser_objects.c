#include "browser_objects.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct Browser { IWebBrowserApp iface; BrowserObjects* owner; } Browser;
typedef struct PageWindow { IHTMLWindow2 iface; BrowserObjects* owner; } PageWindow;
typedef struct PageDocument { IHTMLDocument2 iface; BrowserObjects* owner; } PageDocument;
typedef struct PageLocation { IHTMLLocation iface; BrowserObjects* owner; } PageLocation;
typedef struct Services { IServiceProvider iface; BrowserObjects* owner; } Services;

struct BrowserObjects {
    Browser browser;
    PageWindow window;
    PageDocument document;
    PageLocation location;
    Services services;
    BOOL withBrowser;
    BOOL withPage;
    LONG references;
    char* log;
    size_t logLength;
    char* taken;
    BSTR href;
    int failingHrefReads;
    HRESULT openResult;
    HRESULT navigateResults[8];
    int queuedNavigateResults;
};

static void Append(BrowserObjects* objects, const char* text)
{
    size_t length = strlen(text);
    char* grown = (char*)realloc(objects->log, objects->logLength + length + 1);
    if (!grown) abort();
    objects->log = grown;
    memcpy(objects->log + objects->logLength, text, length + 1);
    objects->logLength += length;
}

static void AppendText(BrowserObjects* objects, const wchar_t* text)
{
    char utf8[4096];
    if (!text) {
        Append(objects, "null");
        return;
    }
    if (!WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL))
        strcpy(utf8, "(unconvertible)");
    Append(objects, "\"");
    Append(objects, utf8);
    Append(objects, "\"");
}

static void AppendVariant(BrowserObjects* objects, const char* name, const VARIANT* value)
{
    char text[64];
    Append(objects, name);
    if (!value) {
        Append(objects, "=null");
    } else if (V_VT(value) == VT_I4) {
        snprintf(text, sizeof text, "=VT_I4 %ld", (long)V_I4(value));
        Append(objects, text);
    } else if (V_VT(value) == VT_BSTR) {
        Append(objects, "=VT_BSTR ");
        AppendText(objects, V_BSTR(value));
    } else {
        snprintf(text, sizeof text, "=vt %d", V_VT(value));
        Append(objects, text);
    }
}

/* One IUnknown for all five objects: each answers only its own interface. */
static HRESULT Answer(BrowserObjects* objects, void* self, REFIID iid, REFIID own, void** out)
{
    if (!out) return E_POINTER;
    if (IsEqualIID(iid, &IID_IUnknown) || IsEqualIID(iid, own)) {
        *out = self;
        InterlockedIncrement(&objects->references);
        return S_OK;
    }
    *out = NULL;
    return E_NOINTERFACE;
}

#define OBJECT_UNKNOWN(Type, Interface, iid)                                                  \
    static HRESULT STDMETHODCALLTYPE Type##_QueryInterface(Interface* This, REFIID riid,     \
                                                           void** out)                       \
    {                                                                                        \
        return Answer(((Type*)This)->owner, This, riid, iid, out);                           \
    }                                                                                        \
    static ULONG STDMETHODCALLTYPE Type##_AddRef(Interface* This)                             \
    {                                                                                        \
        return (ULONG)InterlockedIncrement(&((Type*)This)->owner->references);               \
    }                                                                                        \
    static ULONG STDMETHODCALLTYPE Type##_Release(Interface* This)                            \
    {                                                                                        \
        return (ULONG)InterlockedDecrement(&((Type*)This)->owner->references);               \
    }

OBJECT_UNKNOWN(Browser, IWebBrowserApp, &IID_IWebBrowserApp)
OBJECT_UNKNOWN(PageWindow, IHTMLWindow2, &IID_IHTMLWindow2)
OBJECT_UNKNOWN(PageDocument, IHTMLDocument2, &IID_IHTMLDocument2)
OBJECT_UNKNOWN(PageLocation, IHTMLLocation, &IID_IHTMLLocation)
OBJECT_UNKNOWN(Services, IServiceProvider, &IID_IServiceProvider)

static HRESULT STDMETHODCALLTYPE Browser_Navigate(IWebBrowserApp* This, BSTR url, VARIANT* flags,
                                                  VARIANT* target, VARIANT* post,
                                                  VARIANT* headers)
{
    BrowserObjects* objects = ((Browser*)This)->owner;
    HRESULT result = S_OK;
    Append(objects, "Navigate(");
    AppendText(objects, url);
    AppendVariant(objects, ", flags", flags);
    AppendVariant(objects, ", target", target);
    AppendVariant(objects, ", post", post);
    AppendVariant(objects, ", headers", headers);
    Append(objects, ")\n");
    if (objects->queuedNavigateResults > 0) {
        result = objects->navigateResults[0];
        memmove(objects->navigateResults, objects->navigateResults + 1,
                sizeof objects->navigateResults - sizeof objects->navigateResults[0]);
        --objects->queuedNavigateResults;
    }
    return result;
}

static HRESULT STDMETHODCALLTYPE Browser_Refresh2(IWebBrowserApp* This, VARIANT* level)
{
    BrowserObjects* objects = ((Browser*)This)->owner;
    Append(objects, "Refresh2(");
    AppendVariant(objects, "level", level);
    Append(objects, ")\n");
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE Browser_put_StatusText(IWebBrowserApp* This, BSTR text)
{
    BrowserObjects* objects = ((Browser*)This)->owner;
    Append(objects, "put_StatusText(");
    AppendText(objects, text);
    Append(objects, ")\n");
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE Browser_put_Visible(IWebBrowserApp* This, VARIANT_BOOL visible)
{
    char text[64];
    snprintf(text, sizeof text, "put_Visible(%d)\n", visible);
    Append(((Browser*)This)->owner, text);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE PageWindow_open(IHTMLWindow2* This, BSTR url, BSTR name,
                                                 BSTR features, VARIANT_BOOL replace,
                                                 IHTMLWindow2** opened)
{
    BrowserObjects* objects = ((PageWindow*)This)->owner;
    char text[64];
    Append(objects, "open(");
    AppendText(objects, url);
    Append(objects, ", ");
    AppendText(objects, name);
    Append(objects, ", features=");
    AppendText(objects, features);
    snprintf(text, sizeof text, ", replace=%d)\n", replace);
    Append(objects, text);
    if (opened) *opened = NULL;
    return objects->openResult;
}

static HRESULT STDMETHODCALLTYPE PageWindow_get_document(IHTMLWindow2* This, IHTMLDocument2** out)
{
    BrowserObjects* objects = ((PageWindow*)This)->owner;
    Append(objects, "get_document\n");
    *out = &objects->document.iface;
    InterlockedIncrement(&objects->references);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE PageDocument_get_location(IHTMLDocument2* This, IHTMLLocation** out)
{
    BrowserObjects* objects = ((PageDocument*)This)->owner;
    Append(objects, "get_location\n");
    *out = &objects->location.iface;
    InterlockedIncrement(&objects->references);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE PageLocation_get_href(IHTMLLocation* This, BSTR* out)
{
    BrowserObjects* objects = ((PageLocation*)This)->owner;
    Append(objects, "get_href\n");
    *out = NULL;
    if (objects->failingHrefReads > 0) {
        --objects->failingHrefReads;
        return E_FAIL;
    }
    *out = SysAllocString(objects->href);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE PageLocation_put_href(IHTMLLocation* This, BSTR href)
{
    BrowserObjects* objects = ((PageLocation*)This)->owner;
    SysFreeString(objects->href);
    objects->href = SysAllocString(href);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE Services_QueryService(IServiceProvider* This, REFGUID service,
                                                       REFIID iid, void** out)
{
    BrowserObjects* objects = ((Services*)This)->owner;
    *out = NULL;
    if (IsEqualGUID(service, &IID_IWebBrowserApp)) {
        Append(objects, "QueryService(IWebBrowserApp)\n");
        if (objects->withBrowser)
            return Browser_QueryInterface(&objects->browser.iface, iid, out);
    } else if (IsEqualGUID(service, &IID_IHTMLWindow2)) {
        Append(objects, "QueryService(IHTMLWindow2)\n");
        if (objects->withPage)
            return PageWindow_QueryInterface(&objects->window.iface, iid, out);
    } else {
        Append(objects, "QueryService(other)\n");
    }
    return E_NOINTERFACE;
}

static IWebBrowserAppVtbl browserVtbl = {
    .QueryInterface = Browser_QueryInterface,
    .AddRef = Browser_AddRef,
    .Release = Browser_Release,
    .Navigate = Browser_Navigate,
    .Refresh2 = Browser_Refresh2,
    .put_StatusText = Browser_put_StatusText,
    .put_Visible = Browser_put_Visible,
};
static IHTMLWindow2Vtbl windowVtbl = {
    .QueryInterface = PageWindow_QueryInterface,
    .AddRef = PageWindow_AddRef,
    .Release = PageWindow_Release,
    .get_document = PageWindow_get_document,
    .open = PageWindow_open,
};
static IHTMLDocument2Vtbl documentVtbl = {
    .QueryInterface = PageDocument_QueryInterface,
    .AddRef = PageDocument_AddRef,
    .Release = PageDocument_Release,
    .get_location = PageDocument_get_location,
};
static IHTMLLocationVtbl locationVtbl = {
    .QueryInterface = PageLocation_QueryInterface,
    .AddRef = PageLocation_AddRef,
    .Release = PageLocation_Release,
    .put_href = PageLocation_put_href,
    .get_href = PageLocation_get_href,
};
static IServiceProviderVtbl servicesVtbl = {
    .QueryInterface = Services_QueryInterface,
    .AddRef = Services_AddRef,
    .Release = Services_Release,
    .QueryService = Services_QueryService,
};

BrowserObjects* BrowserObjects_Create(BOOL withBrowser, BOOL withPage)
{
    BrowserObjects* objects = (BrowserObjects*)calloc(1, sizeof *objects);
    if (!objects) abort();
    objects->browser.iface.lpVtbl = &browserVtbl;
    objects->browser.owner = objects;
    objects->window.iface.lpVtbl = &windowVtbl;
    objects->window.owner = objects;
    objects->document.iface.lpVtbl = &documentVtbl;
    objects->document.owner = objects;
    objects->location.iface.lpVtbl = &locationVtbl;
    objects->location.owner = objects;
    objects->services.iface.lpVtbl = &servicesVtbl;
    objects->services.owner = objects;
    objects->withBrowser = withBrowser;
    objects->withPage = withPage;
    objects->openResult = S_OK;
    Append(objects, "");
    return objects;
}

void BrowserObjects_Destroy(BrowserObjects* objects)
{
    if (!objects) return;
    SysFreeString(objects->href);
    free(objects->log);
    free(objects->taken);
    free(objects);
}

IServiceProvider* BrowserObjects_Services(BrowserObjects* objects) { return &objects->services.iface; }
IWebBrowserApp* BrowserObjects_Browser(BrowserObjects* objects) { return &objects->browser.iface; }

const char* BrowserObjects_TakeLog(BrowserObjects* objects)
{
    free(objects->taken);
    objects->taken = objects->log;
    objects->log = NULL;
    objects->logLength = 0;
    Append(objects, "");
    return objects->taken;
}

LONG BrowserObjects_References(BrowserObjects* objects) { return objects->references; }

void BrowserObjects_SetHref(BrowserObjects* objects, const wchar_t* href)
{
    SysFreeString(objects->href);
    objects->href = href ? SysAllocString(href) : NULL;
}

void BrowserObjects_FailHrefReads(BrowserObjects* objects, int count)
{
    objects->failingHrefReads = count;
}

void BrowserObjects_SetOpenResult(BrowserObjects* objects, HRESULT result)
{
    objects->openResult = result;
}

void BrowserObjects_QueueNavigateResult(BrowserObjects* objects, HRESULT result)
{
    const int capacity = (int)(sizeof objects->navigateResults / sizeof objects->navigateResults[0]);
    if (objects->queuedNavigateResults < capacity)
        objects->navigateResults[objects->queuedNavigateResults++] = result;
}
