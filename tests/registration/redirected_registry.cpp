#include "redirected_registry.h"
#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace fexo::test {

namespace {

const char kRedirection[] = "Software\\FexoRedirectedRoots";

class RedirectedRoots : public testing::Environment {
public:
    void SetUp() override
    {
        for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE}) {
            HKEY key = nullptr;
            const std::string path = kRedirection + std::to_string(reinterpret_cast<uintptr_t>(root) & 7);
            ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                      nullptr, &key, nullptr), ERROR_SUCCESS);
            ASSERT_EQ(RegOverridePredefKey(root, key), ERROR_SUCCESS);
            RegCloseKey(key);
        }
    }
    void TearDown() override
    {
        ClearRedirectedRoots();
        for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE}) RegOverridePredefKey(root, nullptr);
    }
};

const testing::Environment* const kRedirectedRoots =
    testing::AddGlobalTestEnvironment(new RedirectedRoots);

void Render(HKEY key, const std::string& path, std::set<std::string>& lines)
{
    char name[256];
    BYTE data[4096];
    DWORD values = 0, nameLength, type, size;
    for (;; ++values) {
        nameLength = sizeof name, size = sizeof data;
        if (RegEnumValueA(key, values, name, &nameLength, nullptr, &type, data, &size)) break;
        std::string text(reinterpret_cast<const char*>(data), size);
        if (type == REG_DWORD) text = "dword:" + std::to_string(*reinterpret_cast<DWORD*>(data));
        else if (type != REG_SZ || text.find('\0') != size - 1) text += " (no zero)";
        else text.pop_back();
        lines.insert(path + "|" + name + "=" + text);
    }
    std::vector<std::string> subkeys;
    for (nameLength = sizeof name; !RegEnumKeyExA(key, DWORD(subkeys.size()), name, &nameLength,
                                                  nullptr, nullptr, nullptr, nullptr);
         nameLength = sizeof name)
        subkeys.push_back(name);
    if (!values && subkeys.empty()) lines.insert(path);
    for (const std::string& subkey : subkeys) {
        HKEY child = nullptr;
        if (RegOpenKeyExA(key, subkey.c_str(), 0, KEY_READ, &child)) continue;
        Render(child, path.empty() ? subkey : path + "\\" + subkey, lines);
        RegCloseKey(child);
    }
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (size_t at = 0; !from.empty() && (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
}

}  // namespace

void ClearRedirectedRoots()
{
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE}) RegDeleteTreeA(root, nullptr);
}

std::string RegistryText(HKEY root, const Names& names)
{
    std::set<std::string> lines;
    Render(root, "", lines);
    lines.erase("");
    std::string text;
    for (const std::string& line : lines) text += (root == HKEY_LOCAL_MACHINE ? "HKLM\\" : "") + line + "\n";
    for (const auto& [from, name] : names) ReplaceAll(text, from, name);
    return text;
}

}  // namespace fexo::test
