#include "com/registry_script_plan.h"
#include <algorithm>

namespace fexo::com {

namespace {

using Operations = std::vector<RegistryOperation>;

std::string SubkeyPath(const std::string& parent, const std::string& name)
{
    return parent.empty() ? name : parent + '\\' + name;
}

void Add(Operations& operations, RegistryOperation::Kind kind, RegistryRoot root,
         const std::string& path, ScriptValue value = ScriptValue())
{
    operations.push_back(RegistryOperation{kind, root, path, std::move(value)});
}

void PlanKeyRegistration(const ScriptKey& key, RegistryRoot root, const std::string& parent,
                         Operations& operations)
{
    using Kind = RegistryOperation::Kind;
    const std::string path = SubkeyPath(parent, key.name);
    if (key.marker == KeyMarker::Delete || key.marker == KeyMarker::ForceRemove)
        Add(operations, Kind::DeleteTree, root, path);
    if (key.marker == KeyMarker::Delete) return;

    Add(operations, Kind::CreateKey, root, path);
    for (const ScriptValue& value : key.values) Add(operations, Kind::SetValue, root, path, value);
    for (const ScriptKey& subkey : key.subkeys) PlanKeyRegistration(subkey, root, path, operations);
}

bool KeptAtUnregistration(const ScriptKey& key)
{
    return key.marker == KeyMarker::NoRemove ||
           std::any_of(key.subkeys.begin(), key.subkeys.end(), KeptAtUnregistration);
}

void PlanKeyUnregistration(const ScriptKey& key, RegistryRoot root, const std::string& parent,
                           Operations& operations)
{
    using Kind = RegistryOperation::Kind;
    // A Delete key was removed at registration; there is nothing of it to undo.
    if (key.marker == KeyMarker::Delete) return;
    const std::string path = SubkeyPath(parent, key.name);
    if (!KeptAtUnregistration(key)) {
        Add(operations, Kind::DeleteTree, root, path);
        return;
    }
    for (const ScriptValue& value : key.values)
        if (!value.name.empty()) Add(operations, Kind::DeleteValue, root, path, value);
    for (const ScriptKey& subkey : key.subkeys) PlanKeyUnregistration(subkey, root, path, operations);
}

template <class PlanKey>
Operations Plan(const RegistryScript& script, PlanKey planKey)
{
    Operations operations;
    for (const ScriptRootKey& root : script.roots)
        for (const ScriptKey& key : root.keys) planKey(key, root.root, std::string(), operations);
    return operations;
}

}  // namespace

std::vector<RegistryOperation> PlanRegistration(const RegistryScript& script)
{
    return Plan(script, PlanKeyRegistration);
}

std::vector<RegistryOperation> PlanUnregistration(const RegistryScript& script)
{
    return Plan(script, PlanKeyUnregistration);
}

}  // namespace fexo::com
