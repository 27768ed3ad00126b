#include "browser_objects.h"
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct BrowserObjects {
    BrowserPage page;
    BOOL withBrowser, withPage;
    IWebBrowserApp browser;
    IHTMLWindow2 window;
    IHTMLDocument2 document;
    IHTMLLocation location;
    IServiceProvider services;
} BrowserObjects;

#define OWNER(This, field) CONTAINING_RECORD(This, BrowserObjects, field)

typedef struct Shown { char text[1100]; } Shown;

static Shown Text(const wchar_t* text)
{
    Shown shown = {"null"};
    char utf8[1024] = "";
    if (text) WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, NULL, NULL);
    if (text) snprintf(shown.text, sizeof shown.text, "\"%s\"", utf8);
    return shown;
}

static Shown Variant(const VARIANT* value)
{
    Shown shown = {"null"};
    if (value && V_VT(value) == VT_I4) snprintf(shown.text, sizeof shown.text, "VT_I4 %ld", (long)V_I4(value));
    else if (value && V_VT(value) == VT_BSTR)
        snprintf(shown.text, sizeof shown.text, "VT_BSTR %s", Text(V_BSTR(value)).text);
    else if (value) snprintf(shown.text, sizeof shown.text, "vt %d", V_VT(value));
    return shown;
}

static void Log(BrowserObjects* o, const char* format, ...)
{
    const size_t used = strlen(o->page.log);
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(o->page.log + used, sizeof o->page.log - used, format, arguments);
    va_end(arguments);
}

/* Each object answers only its own interface; all share one count. */
#define OBJECT_UNKNOWN(Interface, field)                                                                  \
    static HRESULT STDMETHODCALLTYPE field##_QueryInterface(Interface* This, REFIID iid, void** out)      \
    {                                                                                                     \
        *out = IsEqualIID(iid, &IID_IUnknown) || IsEqualIID(iid, &IID_##Interface) ? This : NULL;        \
        if (*out) InterlockedIncrement(&OWNER(This, field)->page.references);                            \
        return *out ? S_OK : E_NOINTERFACE;                                                               \
    }                                                                                                     \
    static ULONG STDMETHODCALLTYPE field##_AddRef(Interface* This)                                        \
    { return (ULONG)InterlockedIncrement(&OWNER(This, field)->page.references); }                         \
    static ULONG STDMETHODCALLTYPE field##_Release(Interface* This)                                       \
    { return (ULONG)InterlockedDecrement(&OWNER(This, field)->page.references); }

OBJECT_UNKNOWN(IWebBrowserApp, browser)
OBJECT_UNKNOWN(IHTMLWindow2, window)
OBJECT_UNKNOWN(IHTMLDocument2, document)
OBJECT_UNKNOWN(IHTMLLocation, location)
OBJECT_UNKNOWN(IServiceProvider, services)

static HRESULT STDMETHODCALLTYPE Navigate(IWebBrowserApp* This, BSTR url, VARIANT* flags, VARIANT* target,
                                          VARIANT* post, VARIANT* headers)
{
    BrowserPage* page = &OWNER(This, browser)->page;
    Log(OWNER(This, browser), "Navigate(%s, flags=%s, target=%s, post=%s, headers=%s)\n", Text(url).text,
        Variant(flags).text, Variant(target).text, Variant(post).text, Variant(headers).text);
    return page->navigateResults && *page->navigateResults ? *page->navigateResults++ : S_OK;
}

static HRESULT STDMETHODCALLTYPE Refresh2(IWebBrowserApp* This, VARIANT* level)
{ return Log(OWNER(This, browser), "Refresh2(level=%s)\n", Variant(level).text), S_OK; }

static HRESULT STDMETHODCALLTYPE put_StatusText(IWebBrowserApp* This, BSTR text)
{ return Log(OWNER(This, browser), "put_StatusText(%s)\n", Text(text).text), S_OK; }

static HRESULT STDMETHODCALLTYPE put_Visible(IWebBrowserApp* This, VARIANT_BOOL visible)
{ return Log(OWNER(This, browser), "put_Visible(%d)\n", visible), S_OK; }

static HRESULT STDMETHODCALLTYPE window_open(IHTMLWindow2* This, BSTR url, BSTR name, BSTR features,
                                             VARIANT_BOOL replace, IHTMLWindow2** opened)
{
    Log(OWNER(This, window), "open(%s, %s, features=%s, replace=%d)\n", Text(url).text, Text(name).text,
        Text(features).text, replace);
    if (opened) *opened = NULL;
    return OWNER(This, window)->page.openResult;
}

static HRESULT STDMETHODCALLTYPE get_document(IHTMLWindow2* This, IHTMLDocument2** out)
{
    Log(OWNER(This, window), "get_document\n");
    return document_QueryInterface(&OWNER(This, window)->document, &IID_IHTMLDocument2, (void**)out);
}

static HRESULT STDMETHODCALLTYPE get_location(IHTMLDocument2* This, IHTMLLocation** out)
{
    Log(OWNER(This, document), "get_location\n");
    return location_QueryInterface(&OWNER(This, document)->location, &IID_IHTMLLocation, (void**)out);
}

static HRESULT STDMETHODCALLTYPE get_href(IHTMLLocation* This, BSTR* out)
{
    BrowserPage* page = &OWNER(This, location)->page;
    Log(OWNER(This, location), "get_href\n");
    *out = NULL;
    if (page->failingHrefReads > 0) return --page->failingHrefReads, E_FAIL;
    *out = SysAllocString(page->href);
    return S_OK;
}

static HRESULT STDMETHODCALLTYPE QueryService(IServiceProvider* This, REFGUID service, REFIID iid, void** out)
{
    BrowserObjects* o = OWNER(This, services);
    const BOOL browser = IsEqualGUID(service, &IID_IWebBrowserApp), window = IsEqualGUID(service, &IID_IHTMLWindow2);
    Log(o, "QueryService(%s)\n", browser ? "IWebBrowserApp" : window ? "IHTMLWindow2" : "other");
    *out = NULL;
    if (browser && o->withBrowser) return browser_QueryInterface(&o->browser, iid, out);
    return window && o->withPage ? window_QueryInterface(&o->window, iid, out) : E_NOINTERFACE;
}

#define UNKNOWN_ENTRIES(field) \
    .QueryInterface = field##_QueryInterface, .AddRef = field##_AddRef, .Release = field##_Release
static IWebBrowserAppVtbl browserVtbl = {UNKNOWN_ENTRIES(browser), .Navigate = Navigate, .Refresh2 = Refresh2,
                                         .put_StatusText = put_StatusText, .put_Visible = put_Visible};
static IHTMLWindow2Vtbl windowVtbl = {UNKNOWN_ENTRIES(window), .get_document = get_document, .open = window_open};
static IHTMLDocument2Vtbl documentVtbl = {UNKNOWN_ENTRIES(document), .get_location = get_location};
static IHTMLLocationVtbl locationVtbl = {UNKNOWN_ENTRIES(location), .get_href = get_href};
static IServiceProviderVtbl servicesVtbl = {UNKNOWN_ENTRIES(services), .QueryService = QueryService};

BrowserPage* BrowserPage_Create(BOOL withBrowser, BOOL withPage)
{
    BrowserObjects* o = (BrowserObjects*)malloc(sizeof *o);
    if (!o) abort();
    *o = (BrowserObjects){.withBrowser = withBrowser, .withPage = withPage, .browser = {&browserVtbl},
                          .window = {&windowVtbl}, .document = {&documentVtbl}, .location = {&locationVtbl},
                          .services = {&servicesVtbl}};
    o->page.services = &o->services;
    o->page.browser = &o->browser;
    return &o->page;
}
