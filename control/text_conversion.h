// Texts between the control's automation strings and the plugin's 8-bit
// texts: the thread's ANSI code page unless UTF-8 is named.
#pragma once
#include <optional>
#include <string>
#include "com/bstr.h"
#include "control/argument_list.h"

namespace fexo::control {

// The ANSI code page of the calling thread, chosen once per process:
// CP_THREAD_ACP from Windows 2000 on, else the thread locale's default ANSI
// code page (the system's when that reads as 0).
UINT AnsiCodePage();

// Windows NT and its successors, as opposed to the 9x family.
bool IsNtFamily();

// nullopt for an absent text, a text too long to convert, or one that does
// not convert.
std::optional<std::string> WideToAnsi(const wchar_t* text);
std::optional<std::string> WideToUtf8(const wchar_t* text);
std::optional<std::string> ConvertText(const wchar_t* text, TextEncoding encoding);
// All of an automation string, zeros inside it included (the plugin's texts
// end at their first zero; these do not).
std::optional<std::string> WholeBstrToAnsi(BSTR text);

// The plugin's 8-bit text as an automation string: null, and UTF-8 that does
// not convert, give null.  Throws com::OutOfMemory.
com::Bstr AnsiToBstr(const char* text);
com::Bstr Utf8ToBstr(const char* text);
com::Bstr WholeAnsiToBstr(const std::string& text);

// The pointer to hand the plugin: the text, or null for none.
inline const char* TextOrNull(const std::optional<std::string>& text)
{
    return text ? text->c_str() : nullptr;
}

}  // namespace fexo::control
