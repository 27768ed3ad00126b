#include "plugin/registry.h"
#include <cstring>

namespace fexo::plugin {

namespace {

// "SOFTWARE\" + path under HKEY_LOCAL_MACHINE, the path itself elsewhere;
// false when the result does not fit.
bool ComposeKeyPath(HKEY root, const char* path, char (&composed)[kRegistryPathSize])
{
    if (!path) return false;
    const char* prefix = root == HKEY_LOCAL_MACHINE ? "SOFTWARE\\" : "";
    const std::size_t prefixLength = std::strlen(prefix);
    const std::size_t pathLength = std::strlen(path);
    if (prefixLength + pathLength >= sizeof composed) return false;
    std::memcpy(composed, prefix, prefixLength);
    std::memcpy(composed + prefixLength, path, pathLength + 1);
    return true;
}

}  // namespace

bool RegistryReadValue(const char* path, const char* valueName, char* buffer, DWORD* size,
                       HKEY root)
{
    char composed[kRegistryPathSize];
    if (!buffer || !size || !ComposeKeyPath(root, path, composed)) return false;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, composed, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD length = kRegistryPathSize;
    const LONG result = RegQueryValueExA(key, valueName, nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(buffer), &length);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return false;
    *size = length;
    return true;
}

bool RegistryWriteString(const char* path, const char* valueName, const char* text,
                         DWORD byteCount, HKEY root)
{
    char composed[kRegistryPathSize];
    if (!text || !ComposeKeyPath(root, path, composed)) return false;
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, composed, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG result = RegSetValueExA(key, valueName, 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(text), byteCount);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool RegistryDeleteKey(const char* path, const char* subkeyName, HKEY root)
{
    char composed[kRegistryPathSize];
    if (!subkeyName || !ComposeKeyPath(root, path, composed)) return false;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, composed, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    const LONG result = RegDeleteKeyA(key, subkeyName);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

}  // namespace fexo::plugin
