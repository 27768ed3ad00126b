// The codes PrintDocTo hands the plugin for its zoom and option texts, read
// from the texts after their letters were lowered.
#pragma once
#include <cstdint>

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

// "current zoom"/"currentzoom" 2, "orig. size"/"original size"/"orig.size" 1,
// anything else (null included) 0; the text must equal the name exactly.
int32_t PrintZoomCode(const wchar_t* lowered);

// The bits of the words "anno", "header" and "footer" found anywhere in the
// text; 0 for null.
int32_t PrintOptionFlags(const wchar_t* lowered);

}  // namespace fexo::control
