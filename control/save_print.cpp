// SaveAs and PrintDocTo: the two methods that check and translate their
// arguments before the plugin gets them.  Both answer S_OK in every case
// but an allocation failure.
#include <windows.h>
#include "control/fexo_ctl.h"
#include "control/file_name_rules.h"
#include "control/path_is_writable.h"
#include "control/plugin_calls.h"
#include "control/print_arguments.h"
#include "control/text_conversion.h"

using fexo::com::Bstr;
using fexo::com::Guarded;
using fexo::control::CallPlugin;
using fexo::control::TextOrNull;
using fexo::plugin::FexopExport;

namespace {

// A copy of the whole text with its letters lowered the way the ANSI code
// page lowers them; empty and absent texts stay as they are.
Bstr LowerThroughAnsiCodePage(BSTR text)
{
    if (!SysStringLen(text)) return Bstr::CopyOf(text);
    auto ansi = fexo::control::WholeBstrToAnsi(text);
    if (!ansi) return Bstr::CopyOf(text);
    CharLowerBuffA(ansi->data(), static_cast<DWORD>(ansi->size()));
    return fexo::control::WholeAnsiToBstr(*ansi);
}

// Equality as the user's locale sees it: characters it ignores, such as a
// soft hyphen, do not count.
bool EqualInUserLocale(BSTR text, const wchar_t* name)
{
    return VarBstrCmp(text, Bstr(name).Get(), LOCALE_USER_DEFAULT, 0) == VARCMP_EQ;
}

std::wstring_view Whole(BSTR text) { return {text, SysStringLen(text)}; }

}  // namespace

STDMETHODIMP CFexoCtl::SaveAs(BSTR filename, BSTR doctype)
{
    return Guarded([&] {
        const auto extension = fexo::control::GetFileExtension(Whole(filename));
        if (!extension || !fexo::control::IsDocumentExtension(*extension)) {
            ReportError("Invalid file extension");
            return S_OK;
        }
        if (!fexo::control::PathIsWritable(filename)) {
            ReportError("Invalid path or file exsisting");
            return S_OK;
        }
        const auto fileName = fexo::control::WideToUtf8(filename);
        const auto docType = fexo::control::WideToAnsi(doctype);
        CallPlugin<fexop_SaveAsProc>(FexopExport::SaveAs, m_plugin.Npp(), TextOrNull(fileName),
                                     TextOrNull(docType));
        return S_OK;
    });
}

// Without a printer name the user is told, and the plugin still gets the
// request with an empty name.
STDMETHODIMP CFexoCtl::PrintDocTo(long startPage, long endPage, BSTR Zoom, BSTR printerName,
                                  BSTR option)
{
    return Guarded([&] {
        const Bstr zoom = LowerThroughAnsiCodePage(Zoom);
        const int32_t zoomCode = fexo::control::PrintZoomCode(
            [&](const wchar_t* name) { return EqualInUserLocale(zoom.Get(), name); });
        const Bstr options = LowerThroughAnsiCodePage(option);
        const int32_t flags = fexo::control::PrintOptionFlags(Whole(options.Get()));

        std::optional<std::string> printer;
        if (printerName) {
            printer = fexo::control::WideToUtf8(printerName);
        } else {
            HWND owner = Window();
            if (!owner && InPlaceSite() && FAILED(InPlaceSite()->GetWindow(&owner)))
                owner = nullptr;
            MessageBoxA(owner, "Printer Name == NULL", "", MB_OK);
            printer.emplace();
        }
        CallPlugin<fexop_PrintDocToProc>(FexopExport::PrintDocTo, m_plugin.Npp(), nullptr,
                                         int32_t{startPage}, int32_t{endPage}, zoomCode,
                                         TextOrNull(printer), flags);
        return S_OK;
    });
}
