// The registry script: what the parser accepts and refuses, and the operations planned from it.
#include "com/registry_script.h"
#include "com/registry_script_plan.h"
#include "expect_rows.h"

using namespace fexo::com;

namespace {

// The parser's error, or the plan "create HKCR\A; set HKCR\A [] = s[x]; ..." (registration when
// `registering`, else unregistration).
std::string Planned(const std::string& script, bool registering = true)
{
    static const char* const kRoots[] = {"HKCR", "HKCU", "HKLM", "HKU", "HKCC"};
    static const char* const kKinds[] = {"delete tree ", "create ", "set ", "delete value "};
    const ScriptParseResult parsed = ParseRegistryScript(script, {{"MODULE", "C:\\x.dll"}, {"CLSID", "{g}"}});
    if (!parsed.ok()) return parsed.error + (parsed.script.roots.empty() ? "" : " (with keys)");
    std::string out;
    for (const RegistryOperation& operation : registering ? PlanRegistration(parsed.script) : PlanUnregistration(parsed.script)) {
        const ScriptValue& value = operation.value;
        out += kKinds[int(operation.kind)] + std::string(kRoots[int(operation.root)]) + "\\" + operation.keyPath;
        if (operation.kind == RegistryOperation::Kind::SetValue)
            out += " [" + value.name + "] = " + (value.type == ScriptValue::Type::String ? "s[" + value.text + "]" : "d" + std::to_string(value.number));
        out += operation.kind == RegistryOperation::Kind::DeleteValue ? " [" + value.name + "]; " : "; ";
    }
    return out;
}

}  // namespace

TEST(RegistryScript, ParsesEveryFormLocatesEachErrorAndPlansAroundNoRemoveKeys)
{
    ExpectRows<std::string, std::string>([](const std::string& script) { return Planned(script); }, {
        {"HKEY_LOCAL_MACHINE\r\n{\r\n\t'It''s' = s '100%% ''q'' %MODULE%, 101' { Val 'Tab Size' = D 0x1F 'two\nlines' }\r\n} "
         "hkcu { %CLSID% = d '4294967295' } HKEY_USERS { U } HKCC { C } HKEY_CLASSES_ROOT { }",
         "create HKLM\\It's; set HKLM\\It's [] = s[100% 'q' C:\\x.dll, 101]; set HKLM\\It's [Tab Size] = d31; "
         "create HKLM\\It's\\two\nlines; create HKCU\\{g}; set HKCU\\{g} [] = d4294967295; create HKU\\U; create HKCC\\C; "},
        {" \r\n\t", ""}, {"HKCR { '' }", "line 1: empty key name"},
        {"HKCR { A = s 'open\n }", "line 1: unterminated quoted text"}, {"HKCR { A = d 0x }", "line 1: invalid number '0x'"},
        {"HKCR {\n A {\n B\n", "line 2: missing '}' for key 'A'"}, {"HKCR { A = d '%%' }", "line 1: invalid number '%'"},
        {"HKEY_NOWHERE { }", "line 1: unknown root key 'HKEY_NOWHERE'"},
        {"HKCR", "line 1: '{' expected after root key 'HKCR', found end of script"},
        {"HKCR { val A = s 'x' }", "line 1: a root key cannot hold values"},
        {"HKCR { A = b '00' }", "line 1: value type 's' or 'd' expected, found 'b'"},
        {"HKCR { A = d 4294967296 }", "line 1: number '4294967296' exceeds 32 bits"},
        {"HKCR { A = d 0x100000000 }", "line 1: number '0x100000000' exceeds 32 bits"},
        {"HKCR { A {\n val B s 'x' } }", "line 2: '=' expected after value name 'B', found 's'"},
        {"HKCR { Delete A = s 'x' }", "line 1: a Delete key 'A' cannot have a value"},
        {"HKCR { A = s '%module%' }", "line 1: unknown variable %module%"}, {"HKCR {\n A = s '50%' }", "line 2: unterminated variable in '50%'"},
    });
    std::string deep = "HKCU {", deeper;
    for (int i = 0; i < kMaxScriptKeyDepth; ++i) deep += " K {", deeper += " }";
    EXPECT_EQ(Planned(deep + deeper + " }").substr(0, 15) + Planned(deep + " K {" + deeper + " } }"),
              "create HKCU\\K; line 1: keys nested too deeply");
    // Writing goes top down; removal spares NoRemove keys and the keys that hold them.
    const char* script = "HKCR { Prog = s 'P' { CLSID = s '{g}' } NoRemove CLSID { forceremove {g} = s 'C' {\n"
                         "  Inproc = s 'x.dll' { val Threading = s 'Apartment' val Flags = d 7 } Delete Stale } } }\n"
                         "HKCU { Vendor { NoRemove Shared = s 'kept' { val Mine = s 'm' Sub } Own } }";
    EXPECT_EQ(Planned(script),
              "create HKCR\\Prog; set HKCR\\Prog [] = s[P]; create HKCR\\Prog\\CLSID; set HKCR\\Prog\\CLSID [] = s[{g}]; "
              "create HKCR\\CLSID; delete tree HKCR\\CLSID\\{g}; create HKCR\\CLSID\\{g}; set HKCR\\CLSID\\{g} [] = s[C]; "
              "create HKCR\\CLSID\\{g}\\Inproc; set HKCR\\CLSID\\{g}\\Inproc [] = s[x.dll]; "
              "set HKCR\\CLSID\\{g}\\Inproc [Threading] = s[Apartment]; set HKCR\\CLSID\\{g}\\Inproc [Flags] = d7; "
              "delete tree HKCR\\CLSID\\{g}\\Stale; create HKCU\\Vendor; create HKCU\\Vendor\\Shared; set HKCU\\Vendor\\Shared [] = s[kept]; "
              "set HKCU\\Vendor\\Shared [Mine] = s[m]; create HKCU\\Vendor\\Shared\\Sub; create HKCU\\Vendor\\Own; ");
    EXPECT_EQ(Planned(script, false), "delete tree HKCR\\Prog; delete tree HKCR\\CLSID\\{g}; delete value HKCU\\Vendor\\Shared [Mine]; "
                                      "delete tree HKCU\\Vendor\\Shared\\Sub; delete tree HKCU\\Vendor\\Own; ");
    EXPECT_EQ(Planned("HKCR { NoRemove CLSID }", false), "");
}
