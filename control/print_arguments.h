// The codes PrintDocTo hands the plugin for its zoom and option texts, read
// from the texts after their letters were lowered.
#pragma once
#include <cstdint>
#include <functional>
#include <string_view>

namespace fexo::control {

enum : int32_t {
    kPrintZoomDefault = 0,
    kPrintZoomOriginalSize = 1,
    kPrintZoomCurrent = 2,
};

enum : int32_t {
    kPrintAnnotations = 1,
    kPrintHeader = 2,
    kPrintFooter = 4,
};

// The code of the first name, in the order "current zoom", "currentzoom" (2),
// "orig. size", "original size", "orig.size" (1), that the lowered zoom text
// `equals`; 0 when it equals none.
int32_t PrintZoomCode(const std::function<bool(const wchar_t* name)>& equals);

// The bits of the words "anno", "header" and "footer" found anywhere in the
// whole text, zeros inside it included.
int32_t PrintOptionFlags(std::wstring_view lowered);

}  // namespace fexo::control
