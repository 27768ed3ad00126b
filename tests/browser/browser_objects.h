/* The hosting browser as tests play it: the browser application, the page
 * window, its document and location, and the service provider that hands out
 * the first two.  Each call the control makes on them adds a line with its
 * arguments to the log (texts in UTF-8 within quotes, absent ones as null).
 * Written in C: only the methods the control calls are filled in. */
#pragma once
#include <windows.h>
#include <exdisp.h>
#include <mshtml.h>
#include <servprov.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct BrowserPage {
    IServiceProvider* services;
    IWebBrowserApp* browser;
    LONG references;  /* the control's, on all objects together */
    const wchar_t* href;
    int failingHrefReads;  /* the next ones fail with E_FAIL */
    HRESULT openResult;
    const HRESULT* navigateResults;  /* of the next Navigate calls, up to the S_OK that ends them */
    char log[8192];
} BrowserPage;

/* Without page objects the page offers no window; free() it when the control holds none. */
BrowserPage* BrowserPage_Create(BOOL withBrowser, BOOL withPage);

#ifdef __cplusplus
}
#endif
