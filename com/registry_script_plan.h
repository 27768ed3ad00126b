// What a registry script does to the registry, as a list of operations in the
// order they are carried out: registration writes the script's keys and
// values, unregistration removes them again.
#pragma once
#include <string>
#include <vector>
#include "com/registry_script.h"

namespace fexo::com {

struct RegistryOperation {
    enum class Kind {
        DeleteTree,   // the key with everything under it; a missing key is no error
        CreateKey,    // create or open
        SetValue,     // `value` on the key, created when missing
        DeleteValue,  // the value named `value.name`; a missing one is no error
    };

    Kind kind;
    RegistryRoot root;
    std::string keyPath;  // backslash-separated, below the root
    ScriptValue value;
};

// ForceRemove keys are deleted before they are written, Delete keys are
// deleted and not written.
std::vector<RegistryOperation> PlanRegistration(const RegistryScript& script);

// Every key of the script is deleted with everything under it, except a
// NoRemove key and the keys on the path to one: these stay, lose the named
// values the script gave them, and have their subkeys processed.
std::vector<RegistryOperation> PlanUnregistration(const RegistryScript& script);

}  // namespace fexo::com
