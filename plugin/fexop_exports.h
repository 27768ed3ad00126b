// The plugin's private exports (the fexop_ functions), the callbacks the
// control registers through four of them, and the password request record.
// Every export and callback is plain C; every export but the four callback
// setters takes the instance first.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include "plugin/npapi.h"
#include "support/gutf8string.h"

// The login record the plugin hands to the password callback.  The control
// reads the first two fields and empties the two texts.
constexpr size_t kPasswordTextSize = 128;
struct PasswordRequest {
    int32_t retryCount;
    const char* documentUrl;  // UTF-8, may be null
    char userId[kPasswordTextSize];
    char password[kPasswordTextSize];
};
static_assert(sizeof(void*) != 4 || (offsetof(PasswordRequest, retryCount) == 0 &&
                                     offsetof(PasswordRequest, documentUrl) == 4 &&
                                     offsetof(PasswordRequest, userId) == 8 &&
                                     offsetof(PasswordRequest, password) == 136),
              "the plugin's record layout");

// Callbacks the plugin calls.  The int32 arguments the control ignores keep
// their places so that the later ones arrive where the plugin puts them.
typedef void(NP_CALL* PluginErrorCallback)(NPP instance, const char* message);
typedef void(NP_CALL* PluginEventCallback)(NPP instance, const char* eventName, const char* text,
                                           int32_t unused1, int32_t unused2, int32_t value1,
                                           int32_t value2);
typedef void(NP_CALL* PluginComplexEventCallback)(NPP instance, const char* eventName,
                                                  const char* text1, const char* text2,
                                                  const char* text3, int32_t unused1,
                                                  int32_t unused2, int32_t unused3,
                                                  int32_t unused4, int32_t unused5, int32_t flag);
typedef void(NP_CALL* PluginPasswordCallback)(NPP instance, PasswordRequest* request,
                                              int32_t* result);

// The exports.  Texts named utf8 are UTF-8, the others are
// in the caller's ANSI code page.
typedef void(NP_CALL* fexop_WriteDebugInfoToFileProc)(NPP instance);  // never called
typedef int32_t(NP_CALL* fexop_GetDocPagesCountProc)(NPP instance);
typedef int16_t(NP_CALL* fexop_GetDocFormatVersionProc)(NPP instance);
typedef int16_t(NP_CALL* fexop_GetPageResolutionProc)(NPP instance);
typedef int16_t(NP_CALL* fexop_GetPageLengthProc)(NPP instance);
typedef int16_t(NP_CALL* fexop_GetPageWidthProc)(NPP instance);
// The plugin stores a newly allocated BSTR through docType.
typedef void(NP_CALL* fexop_GetDocTypeProc)(NPP instance, wchar_t** docType);
typedef void(NP_CALL* fexop_ScrollImageProc)(NPP instance, int32_t dx, int32_t dy);
typedef void(NP_CALL* fexop_NavViewProc)(NPP instance, int32_t code);
typedef void(NP_CALL* fexop_SaveAsProc)(NPP instance, const char* fileNameUtf8,
                                        const char* docType);
typedef void(NP_CALL* fexop_CopySelectedTextProc)(NPP instance);
typedef void(NP_CALL* fexop_SelectedAllTextProc)(NPP instance);
typedef void(NP_CALL* fexop_UnSelectTextProc)(NPP instance);
typedef void(NP_CALL* fexop_CopyImageProc)(NPP instance);
typedef void(NP_CALL* fexop_ExportImageAsProc)(NPP instance, const char* fileNameUtf8);
typedef void(NP_CALL* fexop_SearchTextProc)(NPP instance, const char* textUtf8, bool matchCase,
                                            bool wholeWord, bool allMatches, uint32_t colour);
typedef void(NP_CALL* fexop_AddHighlightRectProc)(NPP instance, int32_t x, int32_t y, int32_t w,
                                                  int32_t h, uint32_t colour);
typedef void(NP_CALL* fexop_ClearHighlightRectsProc)(NPP instance);
typedef void(NP_CALL* fexop_RestoreDefaultsProc)(NPP instance);
typedef void(NP_CALL* fexop_ClearCacheProc)(NPP instance);
typedef void(NP_CALL* fexop_PrintDocToProc)(NPP instance, void* reserved, int32_t startPage,
                                            int32_t endPage, int32_t zoomCode,
                                            const char* printerNameUtf8, int32_t optionFlags);
typedef void(NP_CALL* fexop_OpenDlgCommandProc)(NPP instance, const char* command);
// One value slot per kind; the plugin writes only through the pointers given.
typedef void(NP_CALL* fexop_GetPropertyProc)(NPP instance, const char* name, GUTF8String* text,
                                             double* number, int32_t* integer,
                                             int16_t* shortInteger, bool* flag);
typedef void(NP_CALL* fexop_SetPropertyProc)(NPP instance, const char* name, const char* text,
                                             double number, int32_t integer,
                                             int16_t shortInteger, bool flag);
typedef void(NP_CALL* fexop_ShowMagnifierProc)(NPP instance, bool show);
typedef void(NP_CALL* fexop_RedrawProc)(NPP instance);  // never called
typedef void(NP_CALL* fexop_ErrorFuncProc)(PluginErrorCallback callback);
typedef void(NP_CALL* fexop_EventFuncProc)(PluginEventCallback callback);
typedef void(NP_CALL* fexop_ComplexEventFuncProc)(PluginComplexEventCallback callback);
typedef void(NP_CALL* fexop_DoHyperlinkProc)(NPP instance, const char* urlUtf8,
                                             const char* targetUtf8, const char* commentUtf8);
typedef void(NP_CALL* fexop_SetPasswordFuncProc)(PluginPasswordCallback callback);

namespace fexo::plugin {

// The exports in the order the loader looks them up, which decides the
// status left when several are missing.
enum class FexopExport : int {
    WriteDebugInfoToFile,
    GetDocPagesCount,
    GetDocFormatVersion,
    GetPageResolution,
    GetPageLength,
    GetPageWidth,
    GetDocType,
    ScrollImage,
    NavView,
    SaveAs,
    CopySelectedText,
    SelectedAllText,
    UnSelectText,
    CopyImage,
    ExportImageAs,
    SearchText,
    AddHighlightRect,
    ClearHighlightRects,
    RestoreDefaults,
    ClearCache,
    PrintDocTo,
    OpenDlgCommand,
    GetProperty,
    SetProperty,
    ShowMagnifier,
    Redraw,
    ErrorFunc,
    EventFunc,
    ComplexEventFunc,
    DoHyperlink,
    SetPasswordFunc,
    Count
};

// The export names, in lookup order.
inline constexpr std::array<const char*, static_cast<size_t>(FexopExport::Count)>
    kFexopExportNames = {
        "fexop_WriteDebugInfoToFile",
        "fexop_GetDocPagesCount",
        "fexop_GetDocFormatVersion",
        "fexop_GetPageResolution",
        "fexop_GetPageLength",
        "fexop_GetPageWidth",
        "fexop_GetDocType",
        "fexop_ScrollImage",
        "fexop_NavView",
        "fexop_SaveAs",
        "fexop_CopySelectedText",
        "fexop_SelectedAllText",
        "fexop_UnSelectText",
        "fexop_CopyImage",
        "fexop_ExportImageAs",
        "fexop_SearchText",
        "fexop_AddHighlightRect",
        "fexop_ClearHighlightRects",
        "fexop_RestoreDefaults",
        "fexop_ClearCache",
        "fexop_PrintDocTo",
        "fexop_OpenDlgCommand",
        "fexop_GetProperty",
        "fexop_SetProperty",
        "fexop_ShowMagnifier",
        "fexop_Redraw",
        "fexop_ErrorFunc",
        "fexop_EventFunc",
        "fexop_ComplexEventFunc",
        "fexop_DoHyperlink",
        "fexop_SetPasswordFunc",
};

constexpr const char* FexopExportName(FexopExport which)
{
    return kFexopExportNames[static_cast<size_t>(which)];
}

}  // namespace fexo::plugin
