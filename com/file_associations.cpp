#include "com/file_associations.h"
#include <shlobj.h>
#include <cstdio>
#include <cstring>
#include "FexoCtl.h"
#include "plugin/registry.h"

namespace fexo::com {

namespace {

using plugin::RegistryDeleteKey;
using plugin::RegistryWriteString;

// Every entry is a REG_SZ with its terminating zero counted.
void WriteText(HKEY root, const char* path, const char* valueName, const char* text)
{
    RegistryWriteString(path, valueName, text, DWORD(std::strlen(text) + 1), root);
}

// Registry form with lower-case digits: {6476c8a1-5ffd-...}.
void FormatClassId(const GUID& id, char (&text)[39])
{
    std::snprintf(text, sizeof text, "{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
                  static_cast<unsigned long>(id.Data1), id.Data2, id.Data3, id.Data4[0],
                  id.Data4[1], id.Data4[2], id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6],
                  id.Data4[7]);
}

}  // namespace

void WriteFileAssociations(HMODULE module)
{
    // Associations that older setups made with automatically generated names.
    RegistryDeleteKey("fexo_auto_file", "", HKEY_CLASSES_ROOT);
    RegistryDeleteKey("fxo_auto_file", "", HKEY_CLASSES_ROOT);

    static const char kFileType[] = "FexoFile";
    static const char kContentType[] = "image/vnd.fexo";
    static const char kMimeDatabase[] = "MIME\\Database\\Content Type\\";
    WriteText(HKEY_CLASSES_ROOT, ".fexo", "", kFileType);
    WriteText(HKEY_LOCAL_MACHINE, "Classes\\.fexo", "", kFileType);
    WriteText(HKEY_CLASSES_ROOT, ".fxo", "", kFileType);
    WriteText(HKEY_LOCAL_MACHINE, "Classes\\.fxo", "", kFileType);
    WriteText(HKEY_CLASSES_ROOT, ".fexo", "Content Type", kContentType);
    WriteText(HKEY_CLASSES_ROOT, ".fxo", "Content Type", kContentType);
    WriteText(HKEY_LOCAL_MACHINE, "Classes\\.fexo", "Content Type", kContentType);
    WriteText(HKEY_LOCAL_MACHINE, "Classes\\.fxo", "Content Type", kContentType);

    // Each content type names its extension and the class that shows it.
    static const struct {
        const char* contentType;
        const char* extension;
    } kMimeEntries[] = {
        {"image/x.fexo", ".fexo"},
        {"image/x-fexo", ".fxo"},
        {"image/vnd.fexo", ".fexo"},
    };
    char path[plugin::kRegistryPathSize];
    for (const auto& entry : kMimeEntries) {
        std::snprintf(path, sizeof path, "%s%s", kMimeDatabase, entry.contentType);
        WriteText(HKEY_CLASSES_ROOT, path, "Extension", entry.extension);
    }
    char classId[39];
    FormatClassId(CLSID_FexoCtl, classId);
    for (const auto& entry : kMimeEntries) {
        std::snprintf(path, sizeof path, "%s%s", kMimeDatabase, entry.contentType);
        WriteText(HKEY_CLASSES_ROOT, path, "CLSID", classId);
    }

    WriteText(HKEY_CLASSES_ROOT, kFileType, "", "Harrowmark Fexo File");
    char icon[plugin::kRegistryPathSize];
    const DWORD length = GetModuleFileNameA(module, icon, sizeof icon);
    // The first icon of the module; a path too long to take the suffix is not written.
    if (length == 0 || length + sizeof ",0" > sizeof icon) return;
    std::memcpy(icon + length, ",0", sizeof ",0");
    WriteText(HKEY_CLASSES_ROOT, "FexoFile\\DefaultIcon", "", icon);
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_FLUSH, nullptr, nullptr);
}

}  // namespace fexo::com
