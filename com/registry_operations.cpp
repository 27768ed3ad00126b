#include "com/registry_operations.h"

namespace fexo::com {

namespace {

HKEY RootKey(RegistryRoot root)
{
    switch (root) {
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::Users: return HKEY_USERS;
    case RegistryRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
    }
    return nullptr;
}

// RegDeleteKey removes only keys without subkeys, on every Windows version,
// so the subtree goes first.
LONG DeleteKeyTree(HKEY parent, const char* name)
{
    HKEY key = nullptr;
    LONG result = RegOpenKeyExA(parent, name, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE, &key);
    if (result != ERROR_SUCCESS) return result;
    char child[256];  // key names are at most 255 characters
    for (;;) {
        DWORD length = sizeof child;
        result = RegEnumKeyExA(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result == ERROR_SUCCESS) result = DeleteKeyTree(key, child);
        if (result != ERROR_SUCCESS) {
            RegCloseKey(key);
            return result;
        }
    }
    RegCloseKey(key);
    return RegDeleteKeyA(parent, name);
}

LONG SetValue(HKEY key, const ScriptValue& value)
{
    if (value.type == ScriptValue::Type::Dword) {
        const DWORD number = value.number;
        return RegSetValueExA(key, value.name.c_str(), 0, REG_DWORD,
                              reinterpret_cast<const BYTE*>(&number), sizeof number);
    }
    return RegSetValueExA(key, value.name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(value.text.c_str()),
                          DWORD(value.text.size() + 1));
}

LONG Apply(const RegistryOperation& operation)
{
    using Kind = RegistryOperation::Kind;
    const HKEY root = RootKey(operation.root);
    const char* path = operation.keyPath.c_str();
    HKEY key = nullptr;
    LONG result = ERROR_SUCCESS;
    switch (operation.kind) {
    case Kind::DeleteTree:
        result = DeleteKeyTree(root, path);
        return result == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : result;
    case Kind::CreateKey:
    case Kind::SetValue:
        result = RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                                 nullptr, &key, nullptr);
        if (result == ERROR_SUCCESS && operation.kind == Kind::SetValue)
            result = SetValue(key, operation.value);
        break;
    case Kind::DeleteValue:
        result = RegOpenKeyExA(root, path, 0, KEY_SET_VALUE, &key);
        if (result == ERROR_SUCCESS) result = RegDeleteValueA(key, operation.value.name.c_str());
        if (result == ERROR_FILE_NOT_FOUND) result = ERROR_SUCCESS;
        break;
    }
    if (key) RegCloseKey(key);
    return result;
}

}  // namespace

HRESULT ApplyRegistryOperations(const std::vector<RegistryOperation>& operations)
{
    for (const RegistryOperation& operation : operations) {
        const LONG result = Apply(operation);
        if (result != ERROR_SUCCESS) return HRESULT_FROM_WIN32(result);
    }
    return S_OK;
}

}  // namespace fexo::com
