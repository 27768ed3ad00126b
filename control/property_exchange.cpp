// The plugin's property exchange on the control's instance: one value slot
// per kind, the name exactly as the plugin spells it.
#include "control/fexo_ctl.h"
#include "control/plugin_calls.h"
#include "control/text_conversion.h"
#include "support/gutf8string.h"

using fexo::control::CallPlugin;
using fexo::plugin::FexopExport;

void CFexoCtl::SetPluginProperty(const char* key, const char* text, double number, int32_t integer,
                                 int16_t shortInteger, bool flag)
{
    CallPlugin<fexop_SetPropertyProc>(FexopExport::SetProperty, m_plugin.Npp(), key, text, number,
                                      integer, shortInteger, flag);
}

// A text that does not convert goes as no text at all.
void CFexoCtl::SendText(const char* key, BSTR text, fexo::control::TextEncoding encoding)
{
    const auto converted = fexo::control::ConvertText(text, encoding);
    SetPluginProperty(key, fexo::control::TextOrNull(converted));
}

// The plugin answers a text by giving our string object a representation of
// its own, which goes back to it when the object is destroyed.
void CFexoCtl::GetPluginProperty(const char* key, Bstr* text, double* number, int32_t* integer,
                                 int16_t* shortInteger, bool* flag)
{
    GUTF8String answer;
    CallPlugin<fexop_GetPropertyProc>(FexopExport::GetProperty, m_plugin.Npp(), key, &answer,
                                      number, integer, shortInteger, flag);
    if (text) *text = fexo::control::AnsiToBstr(answer.Text());
}
