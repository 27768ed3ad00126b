#include "browser_objects.h"
#include <stdarg.h>
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
    BOOL withBrowser, withPage;
    LONG references;
    char *log, *taken;
    BSTR href;
    int failingHrefReads, queuedNavigateResults;
    HRESULT openResult, navigateResults[8];
};

/* One argument as the log shows it. */
typedef struct Shown { char text[4200]; } Shown;

static Shown Text(const wchar_t* text)
{
    Shown shown = {"null"};
    char utf8[4096];
    if (text) {
        if (!WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL)) strcpy(utf8, "(unconvertible)");
        snprintf(shown.text, sizeof shown.text, "\"%s\"", utf8);
    }
    return shown;
}

static Shown Variant(const VARIANT* value)
{
    Shown shown = {"null"};
    if (value && V_VT(value) == VT_I4) snprintf(shown.text, sizeof shown.text, "VT_I4 %ld", (long)V_I4(value));
    else if (value && V_VT(value) == VT_BSTR) snprintf(shown.text, sizeof shown.text, "VT_BSTR %s", Text(V_BSTR(value)).text);
    else if (value) snprintf(shown.text, sizeof shown.text, "vt %d", V_VT(value));
    return shown;
}

static void Log(BrowserObjects* objects, const char* format, ...)
{
    char line[16384];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    const size_t length = objects->log ? strlen(objects->log) : 0;
    char* grown = (char*)realloc(objects->log, length + strlen(line) + 2);
    if (!grown) abort();
    sprintf(grown + length, "%s\n", line);
    objects->log = grown;
}

/* One IUnknown for all five objects: each answers only its own interface. */
#define OBJECT_UNKNOWN(Type, Interface)                                                                      \
    static HRESULT STDMETHODCALLTYPE Type##_QueryInterface(Interface* This, REFIID iid, void** out)          \
    {                                                                                                        \
        if (!out) return E_POINTER;                                                                          \
        *out = IsEqualIID(iid, &IID_IUnknown) || IsEqualIID(iid, &IID_##Interface) ? This : NULL;            \
        if (*out) InterlockedIncrement(&((Type*)This)->owner->references);                                  \
        return *out ? S_OK : E_NOINTERFACE;                                                                  \
    }                                                                                                        \
    static ULONG STDMETHODCALLTYPE Type##_AddRef(Interface* This)                                            \
    {                                                                                                        \
        return (ULONG)InterlockedIncrement(&((Type*)This)->owner->references);                              \
    }                                                                                                        \
    static ULONG STDMETHODCALLTYPE Type##_Release(Interface* This)                                           \
    {                                                                                                        \
        return (ULONG)InterlockedDecrement(&((Type*)This)->owner->references);                              \
    }

OBJECT_UNKNOWN(Browser, IWebBrowserApp)
OBJECT_UNKNOWN(PageWindow, IHTMLWindow2)
OBJECT_UNKNOWN(PageDocument, IHTMLDocument2)
OBJECT_UNKNOWN(PageLocation, IHTMLLocation)
OBJECT_UNKNOWN(Services, IServiceProvider)

static HRESULT STDMETHODCALLTYPE Browser_Navigate(IWebBrowserApp* This, BSTR url, VARIANT* flags, VARIANT* target,
                                                  VARIANT* post, VARIANT* headers)
{
    BrowserObjects* o = ((Browser*)This)->owner;
    HRESULT result = S_OK;
    Log(o, "Navigate(%s, flags=%s, target=%s, post=%s, headers=%s)", Text(url).text, Variant(flags).text,
        Variant(target).text, Variant(post).text, Variant(headers).text);
    if (o->queuedNavigateResults > 0) {
        result = o->navigateResults[0];
        memmove(o->navigateResults, o->navigateResults + 1, sizeof o->navigateResults - sizeof result);
        --o->queuedNavigateResults;
    }
    return result;
}

static HRESULT STDMETHODCALLTYPE Browser_Refresh2(IWebBrowserApp* This, VARIANT* level)
{
    Log(((Browser*)This)->owner, "Refresh2(level=%s)", Variant(level).text);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE Browser_put_StatusText(IWebBrowserApp* This, BSTR text)
{
    Log(((Browser*)This)->owner, "put_StatusText(%s)", Text(text).text);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE Browser_put_Visible(IWebBrowserApp* This, VARIANT_BOOL visible)
{
    Log(((Browser*)This)->owner, "put_Visible(%d)", visible);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE PageWindow_open(IHTMLWindow2* This, BSTR url, BSTR name, BSTR features,
                                                 VARIANT_BOOL replace, IHTMLWindow2** opened)
{
    BrowserObjects* o = ((PageWindow*)This)->owner;
    Log(o, "open(%s, %s, features=%s, replace=%d)", Text(url).text, Text(name).text, Text(features).text, replace);
    if (opened) *opened = NULL;
    return o->openResult;
}

static HRESULT STDMETHODCALLTYPE PageWindow_get_document(IHTMLWindow2* This, IHTMLDocument2** out)
{
    BrowserObjects* o = ((PageWindow*)This)->owner;
    Log(o, "get_document");
    return PageDocument_QueryInterface(&o->document.iface, &IID_IHTMLDocument2, (void**)out);
}

static HRESULT STDMETHODCALLTYPE PageDocument_get_location(IHTMLDocument2* This, IHTMLLocation** out)
{
    BrowserObjects* o = ((PageDocument*)This)->owner;
    Log(o, "get_location");
    return PageLocation_QueryInterface(&o->location.iface, &IID_IHTMLLocation, (void**)out);
}

static HRESULT STDMETHODCALLTYPE PageLocation_get_href(IHTMLLocation* This, BSTR* out)
{
    BrowserObjects* o = ((PageLocation*)This)->owner;
    Log(o, "get_href");
    *out = NULL;
    if (o->failingHrefReads > 0) return --o->failingHrefReads, E_FAIL;
    *out = SysAllocString(o->href);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE Services_QueryService(IServiceProvider* This, REFGUID service, REFIID iid,
                                                       void** out)
{
    BrowserObjects* o = ((Services*)This)->owner;
    *out = NULL;
    if (IsEqualGUID(service, &IID_IWebBrowserApp)) {
        Log(o, "QueryService(IWebBrowserApp)");
        if (o->withBrowser) return Browser_QueryInterface(&o->browser.iface, iid, out);
    } else if (IsEqualGUID(service, &IID_IHTMLWindow2)) {
        Log(o, "QueryService(IHTMLWindow2)");
        if (o->withPage) return PageWindow_QueryInterface(&o->window.iface, iid, out);
    } else {
        Log(o, "QueryService(other)");
    }
    return E_NOINTERFACE;
}

#define UNKNOWN_ENTRIES(Type) .QueryInterface = Type##_QueryInterface, .AddRef = Type##_AddRef, .Release = Type##_Release
static IWebBrowserAppVtbl browserVtbl = {UNKNOWN_ENTRIES(Browser), .Navigate = Browser_Navigate,
                                         .Refresh2 = Browser_Refresh2, .put_StatusText = Browser_put_StatusText,
                                         .put_Visible = Browser_put_Visible};
static IHTMLWindow2Vtbl windowVtbl = {UNKNOWN_ENTRIES(PageWindow), .get_document = PageWindow_get_document,
                                      .open = PageWindow_open};
static IHTMLDocument2Vtbl documentVtbl = {UNKNOWN_ENTRIES(PageDocument), .get_location = PageDocument_get_location};
static IHTMLLocationVtbl locationVtbl = {UNKNOWN_ENTRIES(PageLocation), .get_href = PageLocation_get_href};
static IServiceProviderVtbl servicesVtbl = {UNKNOWN_ENTRIES(Services), .QueryService = Services_QueryService};

BrowserObjects* BrowserObjects_Create(BOOL withBrowser, BOOL withPage)
{
    BrowserObjects* o = (BrowserObjects*)calloc(1, sizeof *o);
    if (!o) abort();
    o->browser = (Browser){{&browserVtbl}, o};
    o->window = (PageWindow){{&windowVtbl}, o};
    o->document = (PageDocument){{&documentVtbl}, o};
    o->location = (PageLocation){{&locationVtbl}, o};
    o->services = (Services){{&servicesVtbl}, o};
    o->withBrowser = withBrowser;
    o->withPage = withPage;
    return o;
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
LONG BrowserObjects_References(BrowserObjects* objects) { return objects->references; }

const char* BrowserObjects_TakeLog(BrowserObjects* objects)
{
    free(objects->taken);
    objects->taken = objects->log ? objects->log : strdup("");
    objects->log = NULL;
    return objects->taken;
}

void BrowserObjects_SetHref(BrowserObjects* objects, const wchar_t* href)
{
    SysFreeString(objects->href);
    objects->href = href ? SysAllocString(href) : NULL;
}

void BrowserObjects_FailHrefReads(BrowserObjects* objects, int count) { objects->failingHrefReads = count; }
void BrowserObjects_SetOpenResult(BrowserObjects* objects, HRESULT result) { objects->openResult = result; }

void BrowserObjects_QueueNavigateResult(BrowserObjects* objects, HRESULT result)
{
    if (objects->queuedNavigateResults < 8) objects->navigateResults[objects->queuedNavigateResults++] = result;
}
