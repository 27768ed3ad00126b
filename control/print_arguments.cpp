#include "control/print_arguments.h"
#include <cwchar>

namespace fexo::control {

int32_t PrintZoomCode(const wchar_t* lowered)
{
    static const struct {
        const wchar_t* name;
        int32_t code;
    } kZooms[] = {
        {L"current zoom", kPrintZoomCurrent},    {L"currentzoom", kPrintZoomCurrent},
        {L"orig. size", kPrintZoomOriginalSize}, {L"original size", kPrintZoomOriginalSize},
        {L"orig.size", kPrintZoomOriginalSize},
    };
    if (!lowered) return kPrintZoomDefault;
    for (const auto& zoom : kZooms)
        if (std::wcscmp(lowered, zoom.name) == 0) return zoom.code;
    return kPrintZoomDefault;
}

int32_t PrintOptionFlags(const wchar_t* lowered)
{
    if (!lowered) return 0;
    int32_t flags = 0;
    if (std::wcsstr(lowered, L"anno")) flags |= kPrintAnnotations;
    if (std::wcsstr(lowered, L"header")) flags |= kPrintHeader;
    if (std::wcsstr(lowered, L"footer")) flags |= kPrintFooter;
    return flags;
}

}  // namespace fexo::control
