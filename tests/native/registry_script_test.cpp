// The registry script: the tree the parser builds, its errors, and the operations that
// registration and unregistration plan from it.
#include "com/registry_script.h"
#include "com/registry_script_plan.h"
#include "expect_rows.h"

using namespace fexo::com;

namespace {

const char* const kRoots[] = {"HKCR", "HKCU", "HKLM", "HKU", "HKCC"};

std::string ValueText(const ScriptValue& value)
{
    return value.type == ScriptValue::Type::String ? "s[" + value.text + "]" : "d" + std::to_string(value.number);
}

// "HKCR: ForceRemove [k] = s[x] { val [n] = d7 [sub] }" on one line.
void Describe(const ScriptKey& key, std::string& out)
{
    static const char* const kMarkers[] = {"", "NoRemove ", "ForceRemove ", "Delete "};
    out += std::string(kMarkers[int(key.marker)]) + "[" + key.name + "]";
    for (const ScriptValue& value : key.values) out += (value.name.empty() ? " = " : " val [" + value.name + "] = ") + ValueText(value);
    for (const ScriptKey& subkey : key.subkeys) Describe(subkey, out += &subkey == &key.subkeys[0] ? " { " : " ");
    out += key.subkeys.empty() ? "" : " }";
}

std::string Parsed(const std::string& script)
{
    const ScriptParseResult result = ParseRegistryScript(script, {{"MODULE", "C:\\x.dll"}, {"CLSID", "{g}"}});
    if (!result.ok()) return result.error + (result.script.roots.empty() ? "" : " (with keys)");
    std::string out;
    for (const ScriptRootKey& root : result.script.roots) {
        out += std::string(kRoots[int(root.root)]) + ":";
        for (const ScriptKey& key : root.keys) Describe(key, out += " ");
        out += "\n";
    }
    return out;
}

// "create HKCR\\A; set HKCR\\A [] = s[x]; ...": the operations of the plan.
std::string Planned(bool registration, const char* script)
{
    static const char* const kKinds[] = {"delete tree ", "create ", "set ", "delete value "};
    const ScriptParseResult parsed = ParseRegistryScript(script, {});
    std::string out;
    for (const RegistryOperation& operation : registration ? PlanRegistration(parsed.script) : PlanUnregistration(parsed.script)) {
        out += kKinds[int(operation.kind)] + std::string(kRoots[int(operation.root)]) + "\\" + operation.keyPath;
        if (operation.kind == RegistryOperation::Kind::SetValue) out += " [" + operation.value.name + "] = " + ValueText(operation.value);
        if (operation.kind == RegistryOperation::Kind::DeleteValue) out += " [" + operation.value.name + "]";
        out += "; ";
    }
    return out;
}

}  // namespace

TEST(RegistryScript, ParsesKeysValuesMarkersAndVariables)
{
    ExpectRows<std::string, std::string>(Parsed, {
        {"HKCR\r\n{\r\n\tA.B = s 'C' { CLSID = s '%CLSID%' 'In sert' }\r\n\tNoRemove CLSID\r\n\t{ forceremove %CLSID% = s "
         "'x' { Inproc = s '%MODULE%, 101' { val ThreadingModel = s 'Apartment' Val 'Tab Size' = D 0x1F } "
         "Delete Old count = d '4294967295' } }\r\n}",
         "HKCR: [A.B] = s[C] { [CLSID] = s[{g}] [In sert] } NoRemove [CLSID] { ForceRemove [{g}] = s[x] { [Inproc] = "
         "s[C:\\x.dll, 101] val [ThreadingModel] = s[Apartment] val [Tab Size] = d31 Delete [Old] [count] = d4294967295 } }\n"},
        {"HKEY_LOCAL_MACHINE { 'It''s' = s '100%% ''q''' 'two\nlines' } hkcu { E { } } HKEY_USERS { } HKCC { }",
         "HKLM: [It's] = s[100% 'q'] [two\nlines]\nHKCU: [E]\nHKU:\nHKCC:\n"},
        {" \r\n\t", ""},
        {"HKCR { A = s 'open\n }", "line 1: unterminated quoted text"}, {"HKCR { '' }", "line 1: empty key name"},
        {"HKCR {\n A {\n B\n", "line 2: missing '}' for key 'A'"}, {"HKCR { A = d 0x }", "line 1: invalid number '0x'"},
        {"HKEY_NOWHERE { }", "line 1: unknown root key 'HKEY_NOWHERE'"}, {"HKCR { A = d '%%' }", "line 1: invalid number '%'"},
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
    EXPECT_EQ(Parsed(deep + deeper + " }").substr(0, 13), "HKCU: [K] { [");
    EXPECT_EQ(Parsed(deep + " K {" + deeper + " } }"), "line 1: keys nested too deeply");
}

TEST(RegistryScript, PlansWritingTopDownAndRemovalAroundNoRemoveKeys)
{
    const char* script = "HKCR { Prog = s 'P' { CLSID = s '{g}' } NoRemove CLSID { ForceRemove {g} = s 'C' {\n"
                         "  Inproc = s 'x.dll' { val Threading = s 'Apartment' val Flags = d 7 } Delete Stale } } }\n"
                         "HKCU { Vendor { NoRemove Shared = s 'kept' { val Mine = s 'm' Sub } Own } }";
    EXPECT_EQ(Planned(true, script),
              "create HKCR\\Prog; set HKCR\\Prog [] = s[P]; create HKCR\\Prog\\CLSID; set HKCR\\Prog\\CLSID [] = s[{g}]; "
              "create HKCR\\CLSID; delete tree HKCR\\CLSID\\{g}; create HKCR\\CLSID\\{g}; set HKCR\\CLSID\\{g} [] = s[C]; "
              "create HKCR\\CLSID\\{g}\\Inproc; set HKCR\\CLSID\\{g}\\Inproc [] = s[x.dll]; "
              "set HKCR\\CLSID\\{g}\\Inproc [Threading] = s[Apartment]; set HKCR\\CLSID\\{g}\\Inproc [Flags] = d7; "
              "delete tree HKCR\\CLSID\\{g}\\Stale; create HKCU\\Vendor; create HKCU\\Vendor\\Shared; set HKCU\\Vendor\\Shared [] = s[kept]; "
              "set HKCU\\Vendor\\Shared [Mine] = s[m]; create HKCU\\Vendor\\Shared\\Sub; create HKCU\\Vendor\\Own; ");
    // A key that holds a NoRemove key stays too; the keys beside it go.
    EXPECT_EQ(Planned(false, script), "delete tree HKCR\\Prog; delete tree HKCR\\CLSID\\{g}; delete value HKCU\\Vendor\\Shared [Mine]; "
                                      "delete tree HKCU\\Vendor\\Shared\\Sub; delete tree HKCU\\Vendor\\Own; ");
    EXPECT_EQ(Planned(false, "HKCR { NoRemove CLSID }") + Planned(true, ""), "");
}
