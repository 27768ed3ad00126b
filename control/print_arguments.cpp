#include "control/print_arguments.h"

namespace fexo::control {

int32_t PrintZoomCode(const std::function<bool(const wchar_t* name)>& equals)
{
    static const struct {
        const wchar_t* name;
        int32_t code;
    } kZooms[] = {
        {L"current zoom", kPrintZoomCurrent},    {L"currentzoom", kPrintZoomCurrent},
        {L"orig. size", kPrintZoomOriginalSize}, {L"original size", kPrintZoomOriginalSize},
        {L"orig.size", kPrintZoomOriginalSize},
    };
    for (const auto& zoom : kZooms)
        if (equals(zoom.name)) return zoom.code;
    return kPrintZoomDefault;
}

int32_t PrintOptionFlags(std::wstring_view lowered)
{
    int32_t flags = 0;
    if (lowered.find(L"anno") != lowered.npos) flags |= kPrintAnnotations;
    if (lowered.find(L"header") != lowered.npos) flags |= kPrintHeader;
    if (lowered.find(L"footer") != lowered.npos) flags |= kPrintFooter;
    return flags;
}

}  // namespace fexo::control
