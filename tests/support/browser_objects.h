/* The hosting browser as tests play it: a browser application
 * (IWebBrowserApp), the page window (IHTMLWindow2), its document
 * (IHTMLDocument2) and location (IHTMLLocation), and the service provider
 * that hands out the first two.  Every call the control makes on them is
 * logged, one line each, with its arguments:
 *
 *   QueryService(IWebBrowserApp) | QueryService(IHTMLWindow2) | QueryService(other)
 *   Navigate("url", flags=VT_I4 1, target=VT_BSTR "_blank", post=null, headers=null)
 *   Refresh2(level=VT_I4 0)      put_StatusText("text")      put_Visible(1)
 *   open("url", "name", features=null, replace=0)
 *   get_document   get_location   get_href
 *
 * Texts appear in UTF-8 within quotes, absent ones as null.  Written in C:
 * only the methods the control calls are filled in; the others stay null. */
#pragma once
#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>
#include <servprov.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct BrowserObjects BrowserObjects;

/* With page objects or without (a browser whose page offers no window). */
BrowserObjects* BrowserObjects_Create(BOOL withBrowser, BOOL withPage);
/* After every reference the control held has gone. */
void BrowserObjects_Destroy(BrowserObjects* objects);

IServiceProvider* BrowserObjects_Services(BrowserObjects* objects);
IWebBrowserApp* BrowserObjects_Browser(BrowserObjects* objects);

/* The log since the last call, emptied by the call; valid until the next. */
const char* BrowserObjects_TakeLog(BrowserObjects* objects);
/* References the control holds on all objects together. */
LONG BrowserObjects_References(BrowserObjects* objects);

void BrowserObjects_SetHref(BrowserObjects* objects, const wchar_t* href);
/* The next `count` get_href calls fail with E_FAIL. */
void BrowserObjects_FailHrefReads(BrowserObjects* objects, int count);
void BrowserObjects_SetOpenResult(BrowserObjects* objects, HRESULT result);
/* Results of the next Navigate calls, in order; S_OK after them. */
void BrowserObjects_QueueNavigateResult(BrowserObjects* objects, HRESULT result);

#ifdef __cplusplus
}
#endif
