// What the module file itself carries for setup programs and containers: the
// version record that marks it self-registering, and the resources that
// registration reads.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "server_dll.h"

using fexo::test::ServerDll;

namespace {

class ModuleResources : public testing::Test {
protected:
    void SetUp() override
    {
        char path[MAX_PATH];
        ASSERT_GT(GetModuleFileNameA(ServerDll::Handle(), path, MAX_PATH), 0u);
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeA(path, &handle);
        ASSERT_GT(size, 0u);
        m_version.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, m_version.data()));
    }

    // The entry of the string table for US English, Unicode; null when absent.
    const char* Text(const char* name)
    {
        char* text = nullptr;
        UINT length = 0;
        const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
        if (!VerQueryValueA(m_version.data(), path.c_str(), reinterpret_cast<void**>(&text), &length))
            return nullptr;
        return text;
    }

    std::vector<char> m_version;
};

}  // namespace

TEST_F(ModuleResources, VersionRecordNamesTheModuleAndMarksItSelfRegistering)
{
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(m_version.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00060001u) << "6.1";
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00010626u) << "1.1574";
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00060001u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00010626u);
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_DLL));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(m_version.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1200);

    const struct {
        const char* name;
        const char* text;
    } kEntries[] = {
        {"FileDescription", "FexoControl Module"},
        {"InternalName", "FexoControl"},
        {"OriginalFilename", "FexoControl.DLL"},
        {"OLESelfRegister", ""},
    };
    for (const auto& entry : kEntries) {
        const char* text = Text(entry.name);
        ASSERT_NE(text, nullptr) << entry.name;
        EXPECT_STREQ(text, entry.text) << entry.name;
    }
}

TEST_F(ModuleResources, HoldsTheScriptTypeLibraryAndToolboxBitmap)
{
    const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    const HMODULE module = ServerDll::Handle();
    HRSRC script = FindResourceExA(module, "REGISTRY", MAKEINTRESOURCEA(102), english);
    ASSERT_NE(script, nullptr);
    const char* text = static_cast<const char*>(LockResource(LoadResource(module, script)));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text, 4), "HKCR");

    EXPECT_NE(FindResourceExA(module, "TYPELIB", MAKEINTRESOURCEA(1), english), nullptr);
    EXPECT_NE(FindResourceExA(module, MAKEINTRESOURCEA(2) /* RT_BITMAP */, MAKEINTRESOURCEA(101),
                              english),
              nullptr);
    HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(101));
    EXPECT_NE(bitmap, nullptr);
    if (bitmap) DeleteObject(bitmap);
}
