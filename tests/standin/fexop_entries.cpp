// The plugin's private exports.  Each is journaled with all its arguments;
// queries answer what the test set, property reads fill the caller's string
// object with a representation of the stand-in's own, and the callback
// setters keep the callback for the test to call.
#include <windows.h>
#include <oleauto.h>
#include <type_traits>
#include "standin_state.h"

using namespace standin;
using fexo::plugin::FexopExport;

namespace {

// A representation made here and destroyed, wherever its last reference
// goes, through this module's destructor; the test counts the live ones.
class StandinStringRep : public GStringRep {
public:
    StandinStringRep(const char* bytes, size_t length) : GStringRep(bytes, length)
    {
        ++TheState().liveStrings;
    }
    ~StandinStringRep() { --TheState().liveStrings; }
    void* G_THISCALL DeletingDestructor(unsigned flags) override
    {
        return GDestroyEntry(this, flags);
    }
};

// Journals a call whose only argument is the instance.
void RecordPlain(FexopExport which, NPP instance)
{
    std::lock_guard<std::recursive_mutex> guard(TheState().lock);
    CallRecord(CallOf(which), instance).Commit();
}

int32_t RecordQuery(FexopExport which, NPP instance)
{
    std::lock_guard<std::recursive_mutex> guard(TheState().lock);
    CallRecord(CallOf(which), instance).Commit();
    return TheState().results.Next(CallOf(which), 0);
}

template <class Callback>
void RecordCallback(FexopExport which, Callback callback, Callback StandinCallbacks::*slot)
{
    State& state = TheState();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    CallRecord record(CallOf(which), nullptr);
    record.args.Pointer("callback", reinterpret_cast<const void*>(callback));
    record.Commit({reinterpret_cast<const void*>(callback)});
    state.callbacks.*slot = callback;
}

}  // namespace

extern "C" {

void NP_CALL fexop_WriteDebugInfoToFile(NPP instance)
{
    RecordPlain(FexopExport::WriteDebugInfoToFile, instance);
}

int32_t NP_CALL fexop_GetDocPagesCount(NPP instance)
{
    return RecordQuery(FexopExport::GetDocPagesCount, instance);
}

int16_t NP_CALL fexop_GetDocFormatVersion(NPP instance)
{
    return static_cast<int16_t>(RecordQuery(FexopExport::GetDocFormatVersion, instance));
}

int16_t NP_CALL fexop_GetPageResolution(NPP instance)
{
    return static_cast<int16_t>(RecordQuery(FexopExport::GetPageResolution, instance));
}

int16_t NP_CALL fexop_GetPageLength(NPP instance)
{
    return static_cast<int16_t>(RecordQuery(FexopExport::GetPageLength, instance));
}

int16_t NP_CALL fexop_GetPageWidth(NPP instance)
{
    return static_cast<int16_t>(RecordQuery(FexopExport::GetPageWidth, instance));
}

void NP_CALL fexop_GetDocType(NPP instance, wchar_t** docType)
{
    State& state = TheState();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    CallRecord record(CallOf(FexopExport::GetDocType), instance);
    record.args.Pointer("docType", docType);
    record.Commit({docType});
    if (docType) *docType = state.docType ? SysAllocString(state.docType->c_str()) : nullptr;
}

void NP_CALL fexop_ScrollImage(NPP instance, int32_t dx, int32_t dy)
{
    std::lock_guard<std::recursive_mutex> guard(TheState().lock);
    CallRecord record(CallOf(FexopExport::ScrollImage), instance);
    record.args.Number("dx", dx).Number("dy", dy);
    record.Commit();
}

void NP_CALL fexop_NavView(NPP instance, int32_t code)
{
    std::lock_guard<std::recursive_mutex> guard(TheState().lock);
    CallRecord record(CallOf(FexopExport::NavView), instance);
    record.args.Number("code", code);
    record.Commit();
}

void NP_CALL fexop_SaveAs(NPP instance, const char* fileNameUtf8, const char* docType)
{
    std::lock_guard<std::recursive_mutex> guard(TheState().lock);
    CallRecord record(CallOf(FexopExport::SaveAs), instance);
    record.args.Text("file", fileNameUtf8).Text("docType", docType);
    record.Commit();
}

void NP_CALL fexop_CopySelectedText(NPP instance)
{
    RecordPlain(FexopExport::CopySelectedText, instance);
}

void NP_CALL fexop_SelectedAllText(NPP instance)
{
    RecordPlain(FexopExport::SelectedAllText, instance);
}

void NP_CALL fexop_UnSelectText(NPP instance)
{
    RecordPlain(FexopExport::UnSelectText, instance);
}

void NP_CALL fexop_CopyImage(NPP instance)
{
    RecordPlain(FexopExport::CopyImage, instance);
}

void NP_CALL fexop_ExportImageAs(NPP instance, const char* fileNameUtf8)
{
    std::lock_guard<std::recursive_mutex> guard(TheState().lock);
    CallRecord record(CallOf(FexopExport::ExportImageAs), instance);
    record.args.Text("file", fileNameUtf8);
    record.Commit();
}

void NP_CALL fexop_SearchText(NPP instance, const char* textUtf8, bool matchCase,
                              bool wholeWord, bool allMatches, uint32_t colour)
{
    std::lock_guard<std::recursive_mutex> guard(TheState().lock);
    CallRecord record(CallOf(FexopExport::SearchText), instance);
    record.args.Text("text", textUtf8)
        .Number("matchCase", matchCase)
        .Number("wholeWord", wholeWord)
        .Number("allMatches", allMatches)
        .Hex("colour", colour);
    record.Commit();
}

void NP_CALL fexop_AddHighlightRect(NPP instance, int32_t x, int32_t y, int32_t w, int32_t h,
                                    uint32_t colour)
{
    std::lock_guard<std::recursive_mutex> guard(TheState().lock);
    CallRecord record(CallOf(FexopExport::AddHighlightRect), instance);
    record.args.Number("x", x).Number("y", y).Number("w", w).Number("h", h).Hex("colour", colour);
    record.Commit();
}

void NP_CALL fexop_ClearHighlightRects(NPP instance)
{
    RecordPlain(FexopExport::ClearHighlightRects, instance);
}

void NP_CALL fexop_RestoreDefaults(NPP instance)
{
    RecordPlain(FexopExport::RestoreDefaults, instance);
}

void NP_CALL fexop_ClearCache(NPP instance)
{
    RecordPlain(FexopExport::ClearCache, instance);
}

void NP_CALL fexop_PrintDocTo(NPP instance, void* reserved, int32_t startPage, int32_t endPage,
                              int32_t zoomCode, const char* printerNameUtf8, int32_t optionFlags)
{
    std::lock_guard<std::recursive_mutex> guard(TheState().lock);
    CallRecord record(CallOf(FexopExport::PrintDocTo), instance);
    record.args.Pointer("reserved", reserved)
        .Number("start", startPage)
        .Number("end", endPage)
        .Number("zoom", zoomCode)
        .Text("printer", printerNameUtf8)
        .Number("options", optionFlags);
    record.Commit({reserved});
}

void NP_CALL fexop_OpenDlgCommand(NPP instance, const char* command)
{
    std::lock_guard<std::recursive_mutex> guard(TheState().lock);
    CallRecord record(CallOf(FexopExport::OpenDlgCommand), instance);
    record.args.Text("command", command);
    record.Commit();
}

void NP_CALL fexop_GetProperty(NPP instance, const char* name, GUTF8String* text, double* number,
                               int32_t* integer, int16_t* shortInteger, bool* flag)
{
    State& state = TheState();
    std::lock_guard<std::recursive_mutex> guard(state.lock);
    CallRecord record(CallOf(FexopExport::GetProperty), instance);
    record.args.Text("name", name)
        .StringObject("text", text ? text->Text() : nullptr, text != nullptr)
        .Pointer("number", number)
        .Pointer("integer", integer)
        .Pointer("short", shortInteger)
        .Pointer("flag", flag);
    record.Commit({text, number, integer, shortInteger, flag});

    const auto found = name ? state.answers.find(name) : state.answers.end();
    if (found == state.answers.end()) return;
    const PropertyAnswer& answer = found->second;
    if (text && answer.text) *text = new StandinStringRep(answer.text->data(), answer.text->size());
    if (number && (answer.slots & STANDIN_SLOT_NUMBER)) *number = answer.number;
    if (integer && (answer.slots & STANDIN_SLOT_INTEGER)) *integer = answer.integer;
    if (shortInteger && (answer.slots & STANDIN_SLOT_SHORT)) *shortInteger = answer.shortInteger;
    if (flag && (answer.slots & STANDIN_SLOT_FLAG)) *flag = answer.flag;
}

void NP_CALL fexop_SetProperty(NPP instance, const char* name, const char* text, double number,
                               int32_t integer, int16_t shortInteger, bool flag)
{
    std::lock_guard<std::recursive_mutex> guard(TheState().lock);
    CallRecord record(CallOf(FexopExport::SetProperty), instance);
    record.args.Text("name", name)
        .Text("text", text)
        .Real("number", number)
        .Number("integer", integer)
        .Number("short", shortInteger)
        .Number("flag", flag);
    record.Commit();
}

void NP_CALL fexop_ShowMagnifier(NPP instance, bool show)
{
    std::lock_guard<std::recursive_mutex> guard(TheState().lock);
    CallRecord record(CallOf(FexopExport::ShowMagnifier), instance);
    record.args.Number("show", show);
    record.Commit();
}

void NP_CALL fexop_Redraw(NPP instance)
{
    RecordPlain(FexopExport::Redraw, instance);
}

void NP_CALL fexop_ErrorFunc(PluginErrorCallback callback)
{
    RecordCallback(FexopExport::ErrorFunc, callback, &StandinCallbacks::error);
}

void NP_CALL fexop_EventFunc(PluginEventCallback callback)
{
    RecordCallback(FexopExport::EventFunc, callback, &StandinCallbacks::event);
}

void NP_CALL fexop_ComplexEventFunc(PluginComplexEventCallback callback)
{
    RecordCallback(FexopExport::ComplexEventFunc, callback, &StandinCallbacks::complexEvent);
}

void NP_CALL fexop_DoHyperlink(NPP instance, const char* urlUtf8, const char* targetUtf8,
                               const char* commentUtf8)
{
    std::lock_guard<std::recursive_mutex> guard(TheState().lock);
    CallRecord record(CallOf(FexopExport::DoHyperlink), instance);
    record.args.Text("url", urlUtf8).Text("target", targetUtf8).Text("comment", commentUtf8);
    record.Commit();
}

void NP_CALL fexop_SetPasswordFunc(PluginPasswordCallback callback)
{
    RecordCallback(FexopExport::SetPasswordFunc, callback, &StandinCallbacks::password);
}

}  // extern "C"

// Every export has exactly the type the control calls it through.
static_assert(std::is_same_v<decltype(&fexop_WriteDebugInfoToFile), fexop_WriteDebugInfoToFileProc>);
static_assert(std::is_same_v<decltype(&fexop_GetDocPagesCount), fexop_GetDocPagesCountProc>);
static_assert(std::is_same_v<decltype(&fexop_GetDocFormatVersion), fexop_GetDocFormatVersionProc>);
static_assert(std::is_same_v<decltype(&fexop_GetPageResolution), fexop_GetPageResolutionProc>);
static_assert(std::is_same_v<decltype(&fexop_GetPageLength), fexop_GetPageLengthProc>);
static_assert(std::is_same_v<decltype(&fexop_GetPageWidth), fexop_GetPageWidthProc>);
static_assert(std::is_same_v<decltype(&fexop_GetDocType), fexop_GetDocTypeProc>);
static_assert(std::is_same_v<decltype(&fexop_ScrollImage), fexop_ScrollImageProc>);
static_assert(std::is_same_v<decltype(&fexop_NavView), fexop_NavViewProc>);
static_assert(std::is_same_v<decltype(&fexop_SaveAs), fexop_SaveAsProc>);
static_assert(std::is_same_v<decltype(&fexop_CopySelectedText), fexop_CopySelectedTextProc>);
static_assert(std::is_same_v<decltype(&fexop_SelectedAllText), fexop_SelectedAllTextProc>);
static_assert(std::is_same_v<decltype(&fexop_UnSelectText), fexop_UnSelectTextProc>);
static_assert(std::is_same_v<decltype(&fexop_CopyImage), fexop_CopyImageProc>);
static_assert(std::is_same_v<decltype(&fexop_ExportImageAs), fexop_ExportImageAsProc>);
static_assert(std::is_same_v<decltype(&fexop_SearchText), fexop_SearchTextProc>);
static_assert(std::is_same_v<decltype(&fexop_AddHighlightRect), fexop_AddHighlightRectProc>);
static_assert(std::is_same_v<decltype(&fexop_ClearHighlightRects), fexop_ClearHighlightRectsProc>);
static_assert(std::is_same_v<decltype(&fexop_RestoreDefaults), fexop_RestoreDefaultsProc>);
static_assert(std::is_same_v<decltype(&fexop_ClearCache), fexop_ClearCacheProc>);
static_assert(std::is_same_v<decltype(&fexop_PrintDocTo), fexop_PrintDocToProc>);
static_assert(std::is_same_v<decltype(&fexop_OpenDlgCommand), fexop_OpenDlgCommandProc>);
static_assert(std::is_same_v<decltype(&fexop_GetProperty), fexop_GetPropertyProc>);
static_assert(std::is_same_v<decltype(&fexop_SetProperty), fexop_SetPropertyProc>);
static_assert(std::is_same_v<decltype(&fexop_ShowMagnifier), fexop_ShowMagnifierProc>);
static_assert(std::is_same_v<decltype(&fexop_Redraw), fexop_RedrawProc>);
static_assert(std::is_same_v<decltype(&fexop_ErrorFunc), fexop_ErrorFuncProc>);
static_assert(std::is_same_v<decltype(&fexop_EventFunc), fexop_EventFuncProc>);
static_assert(std::is_same_v<decltype(&fexop_ComplexEventFunc), fexop_ComplexEventFuncProc>);
static_assert(std::is_same_v<decltype(&fexop_DoHyperlink), fexop_DoHyperlinkProc>);
static_assert(std::is_same_v<decltype(&fexop_SetPasswordFunc), fexop_SetPasswordFuncProc>);
