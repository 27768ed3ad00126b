#include <gtest/gtest.h>
#include <string>
#include "com/registry_script_plan.h"

using namespace fexo::com;

namespace {

std::string Describe(const std::vector<RegistryOperation>& operations)
{
    std::string out;
    for (const RegistryOperation& operation : operations) {
        const char* root = operation.root == RegistryRoot::ClassesRoot ? "HKCR\\"
                           : operation.root == RegistryRoot::CurrentUser ? "HKCU\\"
                                                                         : "other\\";
        const ScriptValue& value = operation.value;
        switch (operation.kind) {
        case RegistryOperation::Kind::DeleteTree: out += "delete tree "; break;
        case RegistryOperation::Kind::CreateKey: out += "create "; break;
        case RegistryOperation::Kind::SetValue: out += "set "; break;
        case RegistryOperation::Kind::DeleteValue: out += "delete value "; break;
        }
        out += root + operation.keyPath;
        if (operation.kind == RegistryOperation::Kind::SetValue)
            out += " [" + value.name + "] = " +
                   (value.type == ScriptValue::Type::String ? "s " + value.text
                                                            : "d " + std::to_string(value.number));
        if (operation.kind == RegistryOperation::Kind::DeleteValue) out += " [" + value.name + "]";
        out += "\n";
    }
    return out;
}

RegistryScript Parse(const char* text)
{
    const ScriptParseResult result = ParseRegistryScript(text, {});
    EXPECT_TRUE(result.ok()) << result.error;
    return result.script;
}

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

}  // namespace

TEST(RegistryScriptPlan, RegistrationWritesTopDownAndClearsForceRemoveKeysFirst)
{
    EXPECT_EQ(Describe(PlanRegistration(Parse(kScript))),
              "create HKCR\\Prog\n"
              "set HKCR\\Prog [] = s P\n"
              "create HKCR\\Prog\\CLSID\n"
              "set HKCR\\Prog\\CLSID [] = s {g}\n"
              "create HKCR\\CLSID\n"
              "delete tree HKCR\\CLSID\\{g}\n"
              "create HKCR\\CLSID\\{g}\n"
              "set HKCR\\CLSID\\{g} [] = s C\n"
              "create HKCR\\CLSID\\{g}\\Inproc\n"
              "set HKCR\\CLSID\\{g}\\Inproc [] = s x.dll\n"
              "set HKCR\\CLSID\\{g}\\Inproc [Threading] = s Apartment\n"
              "set HKCR\\CLSID\\{g}\\Inproc [Flags] = d 7\n"
              "delete tree HKCR\\CLSID\\{g}\\Stale\n"
              "create HKCU\\Vendor\n"
              "create HKCU\\Vendor\\Shared\n"
              "set HKCU\\Vendor\\Shared [] = s kept\n"
              "set HKCU\\Vendor\\Shared [Mine] = s m\n"
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
