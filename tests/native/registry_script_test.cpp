#include <gtest/gtest.h>
#include <random>
#include <string>
#include "com/registry_script.h"
#include "com/registry_script_plan.h"

using namespace fexo::com;

namespace {

const char* RootName(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::ClassesRoot: return "HKCR";
    case RegistryRoot::CurrentUser: return "HKCU";
    case RegistryRoot::LocalMachine: return "HKLM";
    case RegistryRoot::Users: return "HKU";
    case RegistryRoot::CurrentConfig: return "HKCC";
    }
    return "?";
}

const char* MarkerText(KeyMarker marker)
{
    switch (marker) {
    case KeyMarker::None: return "";
    case KeyMarker::NoRemove: return "NoRemove ";
    case KeyMarker::ForceRemove: return "ForceRemove ";
    case KeyMarker::Delete: return "Delete ";
    }
    return "? ";
}

std::string ValueText(const ScriptValue& value)
{
    return value.type == ScriptValue::Type::String ? "s [" + value.text + "]"
                                                   : "d " + std::to_string(value.number);
}

// One line per key and value, indented by depth: the whole tree at a glance.
void Describe(const ScriptKey& key, const std::string& indent, std::string& out)
{
    out += indent + MarkerText(key.marker) + "[" + key.name + "]";
    for (const ScriptValue& value : key.values)
        if (value.name.empty()) out += " = " + ValueText(value);
    out += "\n";
    for (const ScriptValue& value : key.values)
        if (!value.name.empty()) out += indent + "  val [" + value.name + "] = " + ValueText(value) + "\n";
    for (const ScriptKey& subkey : key.subkeys) Describe(subkey, indent + "  ", out);
}

std::string Describe(const RegistryScript& script)
{
    std::string out;
    for (const ScriptRootKey& root : script.roots) {
        out += std::string(RootName(root.root)) + "\n";
        for (const ScriptKey& key : root.keys) Describe(key, "  ", out);
    }
    return out;
}

// One line per registry operation of a plan.
std::string Describe(const std::vector<RegistryOperation>& operations)
{
    static const char* const kKinds[] = {"delete tree ", "create ", "set ", "delete value "};
    std::string out;
    for (const RegistryOperation& operation : operations) {
        const ScriptValue& value = operation.value;
        out += kKinds[int(operation.kind)] + std::string(RootName(operation.root)) + "\\" +
               operation.keyPath;
        if (operation.kind == RegistryOperation::Kind::SetValue)
            out += " [" + value.name + "] = " + ValueText(value);
        if (operation.kind == RegistryOperation::Kind::DeleteValue) out += " [" + value.name + "]";
        out += "\n";
    }
    return out;
}

const ScriptVariables kModule = {{"MODULE", "C:\\Program Files\\Fexo\\FexoCntl.DLL"}};

std::string ErrorOf(const std::string& script, const ScriptVariables& variables = kModule)
{
    const ScriptParseResult result = ParseRegistryScript(script, variables);
    EXPECT_TRUE(result.script.roots.empty()) << "a failed parse yields no keys";
    return result.error;
}

}  // namespace

TEST(RegistryScriptParser, BuildsTheTreeOfKeysValuesAndMarkers)
{
    const char* script =
        "HKCR\r\n"
        "{\r\n"
        "\tFexoControl.FexoCtl = s 'FexoCtl Class'\r\n"
        "\t{\r\n"
        "\t\tCLSID = s '{6476c8a1-5ffd-4f52-a615-9b1a862d334a}'\r\n"
        "\t\t'Insertable'\r\n"
        "\t}\r\n"
        "\tNoRemove CLSID\r\n"
        "\t{\r\n"
        "\t\tforceremove {6476c8a1-5ffd-4f52-a615-9b1a862d334a} = s 'FexoCtl Class'\r\n"
        "\t\t{\r\n"
        "\t\t\tProgID = s ''\r\n"
        "\t\t\tInprocServer32 = s '%MODULE%'\r\n"
        "\t\t\t{\r\n"
        "\t\t\t\tval ThreadingModel = s 'Apartment'\r\n"
        "\t\t\t\tVal 'Tab Size' = D 0x1F\r\n"
        "\t\t\t}\r\n"
        "\t\t\t'Tool Box' = s '%MODULE%, 101'\r\n"
        "\t\t\tMiscStatus = s '0' { '1' = s '131473' }\r\n"
        "\t\t\tDelete Obsolete\r\n"
        "\t\t\tcount = d '4294967295'\r\n"
        "\t\t}\r\n"
        "\t}\r\n"
        "}\r\n"
        "HKEY_LOCAL_MACHINE { 'It''s' = s 'a ''quoted'' text' 'two\nlines' }\n"
        "hkcu { Empty { } }";
    const ScriptParseResult result = ParseRegistryScript(script, kModule);
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(Describe(result.script),
              "HKCR\n"
              "  [FexoControl.FexoCtl] = s [FexoCtl Class]\n"
              "    [CLSID] = s [{6476c8a1-5ffd-4f52-a615-9b1a862d334a}]\n"
              "    [Insertable]\n"
              "  NoRemove [CLSID]\n"
              "    ForceRemove [{6476c8a1-5ffd-4f52-a615-9b1a862d334a}] = s [FexoCtl Class]\n"
              "      [ProgID] = s []\n"
              "      [InprocServer32] = s [C:\\Program Files\\Fexo\\FexoCntl.DLL]\n"
              "        val [ThreadingModel] = s [Apartment]\n"
              "        val [Tab Size] = d 31\n"
              "      [Tool Box] = s [C:\\Program Files\\Fexo\\FexoCntl.DLL, 101]\n"
              "      [MiscStatus] = s [0]\n"
              "        [1] = s [131473]\n"
              "      Delete [Obsolete]\n"
              "      [count] = d 4294967295\n"
              "HKLM\n"
              "  [It's] = s [a 'quoted' text]\n"
              "  [two\nlines]\n"
              "HKCU\n"
              "  [Empty]\n");
}

TEST(RegistryScriptParser, AcceptsEveryRootNameAndAnEmptyScript)
{
    const struct {
        const char* names[2];
        RegistryRoot root;
    } kRoots[] = {
        {{"HKCR", "HKEY_CLASSES_ROOT"}, RegistryRoot::ClassesRoot},
        {{"HKCU", "HKEY_CURRENT_USER"}, RegistryRoot::CurrentUser},
        {{"HKLM", "HKEY_LOCAL_MACHINE"}, RegistryRoot::LocalMachine},
        {{"HKU", "HKEY_USERS"}, RegistryRoot::Users},
        {{"HKCC", "HKEY_CURRENT_CONFIG"}, RegistryRoot::CurrentConfig},
    };
    for (const auto& entry : kRoots) {
        for (const char* name : entry.names) {
            const ScriptParseResult result = ParseRegistryScript(std::string(name) + " { }", {});
            ASSERT_TRUE(result.ok()) << name << ": " << result.error;
            ASSERT_EQ(result.script.roots.size(), 1u);
            EXPECT_EQ(result.script.roots[0].root, entry.root) << name;
        }
    }
    const ScriptParseResult empty = ParseRegistryScript(" \r\n\t", {});
    EXPECT_TRUE(empty.ok()) << empty.error;
    EXPECT_TRUE(empty.script.roots.empty());
}

TEST(RegistryScriptParser, ReportsMalformedScriptsWithTheirLine)
{
    const struct {
        const char* script;
        const char* error;
    } kCases[] = {
        {"HKCR { A = s 'open\n }", "line 1: unterminated quoted text"},
        {"HKCR {\n A {\n B\n", "line 2: missing '}' for key 'A'"},
        {"HKEY_NOWHERE { }", "line 1: unknown root key 'HKEY_NOWHERE'"},
        {"HKCR", "line 1: '{' expected after root key 'HKCR', found end of script"},
        {"HKCR { val A = s 'x' }", "line 1: a root key cannot hold values"},
        {"HKCR { '' }", "line 1: empty key name"},
        {"HKCR { A = b '00' }", "line 1: value type 's' or 'd' expected, found 'b'"},
        {"HKCR { A = d 0x }", "line 1: invalid number '0x'"},
        {"HKCR { A = d -1 }", "line 1: invalid number '-1'"},
        {"HKCR { A = d 4294967296 }", "line 1: number '4294967296' exceeds 32 bits"},
        {"HKCR { A = d 0x100000000 }", "line 1: number '0x100000000' exceeds 32 bits"},
        {"HKCR { A {\n val B s 'x' } }", "line 2: '=' expected after value name 'B', found 's'"},
        {"HKCR { Delete A = s 'x' }", "line 1: a Delete key 'A' cannot have a value"},
    };
    for (const auto& entry : kCases) EXPECT_EQ(ErrorOf(entry.script), entry.error) << entry.script;
}

TEST(RegistryScriptParser, ReplacesVariablesInNamesAndValues)
{
    const ScriptVariables variables = {{"MODULE", "C:\\x.dll"}, {"CLSID", "{guid}"}};
    const ScriptParseResult result = ParseRegistryScript(
        "HKCR { %CLSID% = s '100%% of %MODULE%%MODULE%' { val 'at %CLSID%' = d '%%' } }",
        variables);
    // "%%" makes the d value read as a single '%', which is no number.
    EXPECT_EQ(result.error, "line 1: invalid number '%'");

    const ScriptParseResult ok = ParseRegistryScript(
        "HKCR { %CLSID% = s '100%% of %MODULE%%MODULE%' { val 'at %CLSID%' = s '%%%%' } }",
        variables);
    ASSERT_TRUE(ok.ok()) << ok.error;
    EXPECT_EQ(Describe(ok.script),
              "HKCR\n"
              "  [{guid}] = s [100% of C:\\x.dll" "C:\\x.dll]\n"
              "    val [at {guid}] = s [%%]\n");

    EXPECT_EQ(ErrorOf("HKCR { A = s '%module%' }"), "line 1: unknown variable %module%");
    EXPECT_EQ(ErrorOf("HKCR { A = s '%MODULE%' }", {}), "line 1: unknown variable %MODULE%");
    EXPECT_EQ(ErrorOf("HKCR {\n A = s '50%' }"), "line 2: unterminated variable in '50%'");
    EXPECT_EQ(ErrorOf("HKCR { %MODULE }"), "line 1: unterminated variable in '%MODULE'");
}

TEST(RegistryScriptParser, RefusesNestingBeyondTheLimit)
{
    auto nested = [](int depth) {
        std::string script = "HKCU {";
        for (int i = 0; i < depth; ++i) script += " K {";
        for (int i = 0; i < depth; ++i) script += " }";
        return script + " }";
    };
    EXPECT_TRUE(ParseRegistryScript(nested(kMaxScriptKeyDepth), {}).ok());
    EXPECT_EQ(ErrorOf(nested(kMaxScriptKeyDepth + 1)), "line 1: keys nested too deeply");
    EXPECT_EQ(ErrorOf(nested(100000)), "line 1: keys nested too deeply");
}

// Cut and damaged scripts must end in an error or a tree, never in a crash
// (the sanitizers watch).
TEST(RegistryScriptParser, SurvivesCutAndDamagedScripts)
{
    const std::string script =
        "HKCR { A.B = s 'x %MODULE%' { CLSID = s '{g}' 'In sert' } NoRemove CLSID {\n"
        " ForceRemove {g} = s 'C' { val T = d 0x10 S = s '%%' Delete Old } } }";
    ASSERT_TRUE(ParseRegistryScript(script, kModule).ok());
    for (std::size_t length = 0; length < script.size(); ++length) {
        const ScriptParseResult result = ParseRegistryScript(script.substr(0, length), kModule);
        EXPECT_TRUE(result.ok() || result.error.rfind("line ", 0) == 0) << length;
    }
    std::mt19937 random(1574);
    const char kAlphabet[] = "{}='% \n\\sdvalNoRemove\0\xff";
    for (int round = 0; round < 20000; ++round) {
        std::string damaged = script;
        for (int edits = 1 + int(random() % 4); edits > 0; --edits) {
            const std::size_t at = random() % damaged.size();
            damaged[at] = kAlphabet[random() % (sizeof kAlphabet - 1)];
        }
        const ScriptParseResult result = ParseRegistryScript(damaged, kModule);
        ASSERT_TRUE(result.ok() || result.error.rfind("line ", 0) == 0) << damaged;
    }
}

namespace {
const char kScript[] =
    "HKCR {\n"
    "  Prog = s 'P' { CLSID = s '{g}' }\n"
    "  NoRemove CLSID {\n"
    "    ForceRemove {g} = s 'C' {\n"
    "      Inproc = s 'x.dll' { val Threading = s 'Apartment' val Flags = d 7 }\n"
    "      Delete Stale\n"
    "    }\n"
    "  }\n"
    "}\n"
    "HKCU {\n"
    "  Vendor {\n"
    "    NoRemove Shared = s 'kept' { val Mine = s 'm' Sub }\n"
    "    Own\n"
    "  }\n"
    "}\n";

RegistryScript Parse(const char* text)
{
    const ScriptParseResult result = ParseRegistryScript(text, {});
    EXPECT_TRUE(result.ok()) << result.error;
    return result.script;
}

}  // namespace

TEST(RegistryScriptPlan, RegistrationWritesTopDownAndClearsForceRemoveKeysFirst)
{
    EXPECT_EQ(Describe(PlanRegistration(Parse(kScript))),
              "create HKCR\\Prog\n"
              "set HKCR\\Prog [] = s [P]\n"
              "create HKCR\\Prog\\CLSID\n"
              "set HKCR\\Prog\\CLSID [] = s [{g}]\n"
              "create HKCR\\CLSID\n"
              "delete tree HKCR\\CLSID\\{g}\n"
              "create HKCR\\CLSID\\{g}\n"
              "set HKCR\\CLSID\\{g} [] = s [C]\n"
              "create HKCR\\CLSID\\{g}\\Inproc\n"
              "set HKCR\\CLSID\\{g}\\Inproc [] = s [x.dll]\n"
              "set HKCR\\CLSID\\{g}\\Inproc [Threading] = s [Apartment]\n"
              "set HKCR\\CLSID\\{g}\\Inproc [Flags] = d 7\n"
              "delete tree HKCR\\CLSID\\{g}\\Stale\n"
              "create HKCU\\Vendor\n"
              "create HKCU\\Vendor\\Shared\n"
              "set HKCU\\Vendor\\Shared [] = s [kept]\n"
              "set HKCU\\Vendor\\Shared [Mine] = s [m]\n"
              "create HKCU\\Vendor\\Shared\\Sub\n"
              "create HKCU\\Vendor\\Own\n");
}

// A key that holds a NoRemove key cannot go either; the keys beside it still do.
TEST(RegistryScriptPlan, UnregistrationDeletesWholeKeysButKeepsNoRemoveAndTheirParents)
{
    EXPECT_EQ(Describe(PlanUnregistration(Parse(kScript))),
              "delete tree HKCR\\Prog\n"
              "delete tree HKCR\\CLSID\\{g}\n"
              "delete value HKCU\\Vendor\\Shared [Mine]\n"
              "delete tree HKCU\\Vendor\\Shared\\Sub\n"
              "delete tree HKCU\\Vendor\\Own\n");
}

TEST(RegistryScriptPlan, AnEmptyScriptDoesNothing)
{
    EXPECT_TRUE(PlanRegistration(RegistryScript()).empty());
    EXPECT_TRUE(PlanUnregistration(Parse("HKCR { NoRemove CLSID }")).empty());
}
