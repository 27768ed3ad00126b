#include "registry_tree.h"
#include <gtest/gtest.h>
#include <vector>

namespace fexo::test {

const char kKeyEntry[] = "<key>";

namespace {

std::string ValueEntry(HKEY key, const std::string& name)
{
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return "<unreadable>";
    std::string data(size, '\0');
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]),
                         &size) != ERROR_SUCCESS)
        return "<unreadable>";
    data.resize(size);
    if (type == REG_SZ) return "sz " + data;
    if (type == REG_DWORD && size == sizeof(DWORD))
        return "dword " + std::to_string(*reinterpret_cast<const DWORD*>(data.data()));
    return "type " + std::to_string(type) + " " + data;
}

void ReadInto(HKEY key, const std::string& prefix, RegistryTree& tree)
{
    tree[prefix] = kKeyEntry;
    const std::string separator = prefix.empty() ? "" : "\\";
    char name[16384];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumValueA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        tree[prefix + "|" + name] = ValueEntry(key, name);
    }
    std::vector<std::string> subkeys;
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        subkeys.push_back(name);
    }
    for (const std::string& subkey : subkeys) {
        HKEY child = nullptr;
        if (RegOpenKeyExA(key, subkey.c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
        ReadInto(child, prefix + separator + subkey, tree);
        RegCloseKey(child);
    }
}

}  // namespace

RegistryTree ReadRegistryTree(HKEY root, const std::string& path)
{
    RegistryTree tree;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return tree;
    ReadInto(key, "", tree);
    RegCloseKey(key);
    return tree;
}

bool RegistryKeyExists(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::string StringEntry(const std::string& text)
{
    return "sz " + text + std::string(1, '\0');
}

void DeleteRegistryTree(HKEY root, const std::string& path)
{
    const LONG result = RegDeleteTreeA(root, path.c_str());
    EXPECT_TRUE(result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) << path << ": " << result;
}

}  // namespace fexo::test
