// The registered type library as automation clients read it: the library, the
// coclass, IFexoCtl's function table in vtable order and the event interface.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <string>
#include <vector>
#include "FexoCtl.h"
#include "server_dll.h"

using fexo::test::ServerDll;

namespace {

std::string Narrow(BSTR text)
{
    std::string result;
    for (UINT i = 0; text && i < SysStringLen(text); ++i) result += char(text[i]);
    return result;
}

std::string TypeName(ITypeInfo* owner, const TYPEDESC& type)
{
    switch (type.vt) {
    case VT_I2: return "short";
    case VT_I4: return "long";
    case VT_INT: return "int";
    case VT_R8: return "double";
    case VT_BSTR: return "BSTR";
    case VT_BOOL: return "VARIANT_BOOL";
    case VT_PTR: return TypeName(owner, *type.lptdesc) + "*";
    case VT_USERDEFINED: {  // "library.name"
        ITypeInfo* alias = nullptr;
        ITypeLib* library = nullptr;
        UINT index = 0;
        BSTR name = nullptr, libraryName = nullptr;
        if (SUCCEEDED(owner->GetRefTypeInfo(type.hreftype, &alias))) {
            alias->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
            if (SUCCEEDED(alias->GetContainingTypeLib(&library, &index))) {
                library->GetDocumentation(-1, &libraryName, nullptr, nullptr, nullptr);
                library->Release();
            }
            alias->Release();
        }
        const std::string text = Narrow(libraryName) + "." + Narrow(name);
        SysFreeString(name);
        SysFreeString(libraryName);
        return text;
    }
    default: return "vt" + std::to_string(type.vt);
    }
}

// "get SRC(BSTR*) 1 'property SRC'": kind, name, parameters, dispatch
// identifier and help string of one function.
std::string DescribeFunction(ITypeInfo* info, const FUNCDESC& function)
{
    BSTR name = nullptr, help = nullptr;
    info->GetDocumentation(function.memid, &name, &help, nullptr, nullptr);
    std::string text = function.invkind == INVOKE_PROPERTYGET   ? "get "
                       : function.invkind == INVOKE_PROPERTYPUT ? "put "
                                                                : "";
    text += Narrow(name) + "(";
    for (SHORT i = 0; i < function.cParams; ++i)
        text += (i ? ", " : "") + TypeName(info, function.lprgelemdescParam[i].tdesc);
    text += ") " + std::to_string(function.memid) + " '" + Narrow(help) + "'";
    SysFreeString(name);
    SysFreeString(help);
    return text;
}

// kind: 'p' get and put, 'r' get only, 'w' put before get, 'm' method
// (`type` is then its parameter list).
struct Member {
    char kind;
    const char* name;
    MEMBERID id;
    const char* type;
};

const Member kMembers[] = {
    {'p', "SRC", 1, "BSTR"},
    {'p', "Flags", 2, "BSTR"},
    {'p', "Align", 3, "BSTR"},
    {'p', "Cache", 4, "BSTR"},
    {'p', "Frame", 5, "BSTR"},
    {'p', "Highlight", 6, "BSTR"},
    {'p', "Keyboard", 8, "BSTR"},
    {'p', "Links", 9, "BSTR"},
    {'p', "Logo", 10, "BSTR"},
    {'p', "Menu", 11, "BSTR"},
    {'p', "Mode", 12, "BSTR"},
    {'p', "Page", 13, "BSTR"},
    {'p', "Passive", 14, "BSTR"},
    {'p', "ScrollBars", 15, "BSTR"},
    {'p', "Rotate", 16, "BSTR"},
    {'p', "Thumbnails", 17, "BSTR"},
    {'p', "Toolbar", 18, "BSTR"},
    {'p', "VAlign", 19, "BSTR"},
    {'p', "Zoom", 20, "BSTR"},
    {'p', "noMenu", 21, "BSTR"},
    {'p', "noScrollBars", 22, "BSTR"},
    {'p', "noToolbar", 23, "BSTR"},
    {'p', "NavPane", 24, "BSTR"},
    {'p', "MouseMode", 25, "BSTR"},
    {'m', "GetDocPagesCount", 26, "long*"},
    {'m', "GetDocFormatVersion", 27, "short*"},
    {'m', "GetPageResolution", 28, "short*"},
    {'m', "GetPageLength", 29, "long*"},
    {'m', "GetPageWidth", 30, "long*"},
    {'m', "GetDocType", 31, "BSTR*"},
    {'p', "HAlign", 34, "BSTR"},
    {'p', "DisplayGamma", 35, "double"},
    {'p', "PrintGamma", 36, "double"},
    {'p', "PrintMatchScreen", 37, "long"},
    {'p', "PrintHighQuality", 38, "long"},
    {'p', "MagSize", 39, "short"},
    {'p', "MagZoom", 40, "short"},
    {'p', "ZoomFast", 41, "long"},
    {'p', "HyperlinkSimpleBorder", 42, "long"},
    {'p', "HyperlinkShowAllKey", 43, "BSTR"},
    {'p', "ThumbnailFast", 44, "long"},
    {'p', "ThumbnailSmart", 45, "long"},
    {'p', "MaxCacheSize", 46, "long"},
    {'p', "HelpURL", 47, "BSTR"},
    {'p', "PostError", 48, "long"},
    {'m', "CmdHelp", 49, ""},
    {'m', "CmdPageInfo", 50, ""},
    {'m', "CmdDocInfo", 51, ""},
    {'m', "CmdSavePageAs", 52, ""},
    {'m', "CmdSaveDocAs", 53, ""},
    {'m', "CmdFind", 54, ""},
    {'m', "CmdExportToFile", 55, ""},
    {'m', "CmdPrint", 56, ""},
    {'m', "CmdPreferences", 57, ""},
    {'m', "CmdAboutFexo", 58, ""},
    {'m', "ScrollImage", 59, "long, long"},
    {'m', "NavView", 60, "short"},
    {'m', "SaveAs", 61, "BSTR, BSTR"},
    {'m', "CopySelectedText", 62, ""},
    {'m', "SelectAllText", 63, ""},
    {'m', "UnSelectText", 64, ""},
    {'m', "CopyImage", 65, ""},
    {'m', "ExportImageAs", 66, "BSTR, BSTR"},
    {'m', "HighlightTerm", 67, "BSTR, long, long, long, stdole.OLE_COLOR"},
    {'m', "AddHighlightRect", 68, "long, long, long, long, long"},
    {'m', "RemoveAllHighlightRect", 69, ""},
    {'m', "RestoreDefaults", 70, ""},
    {'m', "ClearCache", 71, ""},
    {'m', "PrintDocTo", 72, "long, long, BSTR, BSTR, BSTR"},
    {'m', "ShowMagnifier", 73, "long"},
    {'m', "GetLastFexoError", 74, "BSTR*"},
    {'p', "LogoImage", 77, "BSTR"},
    {'m', "RotateBy", 78, "BSTR"},
    {'p', "DisplayMode", 79, "BSTR"},
    {'p', "ShowPosition", 81, "BSTR"},
    {'r', "PageText", 82, "BSTR"},
    {'r', "SelectedText", 83, "BSTR"},
    {'p', "Layout", 84, "BSTR"},
    {'p', "Prefetch", 85, "BSTR"},
    {'w', "UserId", 87, "BSTR"},
    {'w', "Password", 88, "BSTR"},
};

std::vector<std::string> ExpectedFunctions()
{
    std::vector<std::string> functions;
    for (const Member& member : kMembers) {
        const std::string name = member.name, id = " " + std::to_string(member.id) + " ";
        if (member.kind == 'm') {
            functions.push_back(name + "(" + member.type + ")" + id + "'method " + name + "'");
            continue;
        }
        const bool obsolete = name == "noMenu" || name == "noScrollBars" || name == "noToolbar";
        const std::string help = obsolete ? "'(obsolete)'" : "'property " + name + "'";
        const std::string get = "get " + name + "(" + member.type + "*)" + id + help;
        const std::string put = "put " + name + "(" + member.type + ")" + id + help;
        if (member.kind == 'w') functions.push_back(put);
        functions.push_back(get);
        if (member.kind == 'p') functions.push_back(put);
    }
    return functions;
}

class TypeLibrary : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(ServerDll::Register(), S_OK); }
    static void TearDownTestSuite() { EXPECT_EQ(ServerDll::Unregister(), S_OK); }

    void SetUp() override
    {
        ASSERT_EQ(LoadRegTypeLib(LIBID_FEXOCONTROLLib, 1, 0, 0x409, &m_library), S_OK);
    }
    void TearDown() override
    {
        if (m_library) m_library->Release();
    }

    ITypeInfo* InfoOf(REFGUID id)
    {
        ITypeInfo* info = nullptr;
        EXPECT_EQ(m_library->GetTypeInfoOfGuid(id, &info), S_OK);
        return info;
    }

    ITypeLib* m_library = nullptr;
};

}  // namespace

TEST_F(TypeLibrary, DescribesTheLibraryAndItsThreeTypes)
{
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(m_library->GetLibAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualGUID(attributes->guid, LIBID_FEXOCONTROLLib));
    EXPECT_EQ(attributes->lcid, 0x409u);
    EXPECT_EQ(attributes->syskind, sizeof(void*) == 4 ? SYS_WIN32 : SYS_WIN64);
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    m_library->ReleaseTLibAttr(attributes);

    BSTR name = nullptr, help = nullptr;
    ASSERT_EQ(m_library->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
    EXPECT_EQ(Narrow(name), "FEXOCONTROLLib");
    EXPECT_EQ(Narrow(help), "FexoControl 1.0 Type Library");
    SysFreeString(name);
    SysFreeString(help);

    const struct {
        const GUID* id;
        TYPEKIND kind;
        const char* name;
        const char* help;
    } kTypes[] = {
        {&IID_IFexoCtl, TKIND_DISPATCH, "IFexoCtl", "IFexoCtl Interface"},
        {&DIID__IFexoCtlEvents, TKIND_DISPATCH, "_IFexoCtlEvents", "_IFexoCtlEvents Interface"},
        {&CLSID_FexoCtl, TKIND_COCLASS, "FexoCtl", "FexoCtl Class"},
    };
    EXPECT_EQ(m_library->GetTypeInfoCount(), 3u);
    for (const auto& type : kTypes) {
        ITypeInfo* info = InfoOf(*type.id);
        ASSERT_NE(info, nullptr) << type.name;
        TYPEATTR* typeAttributes = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&typeAttributes), S_OK);
        EXPECT_EQ(typeAttributes->typekind, type.kind) << type.name;
        info->ReleaseTypeAttr(typeAttributes);
        ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, &help, nullptr, nullptr), S_OK);
        EXPECT_EQ(Narrow(name), type.name);
        EXPECT_EQ(Narrow(help), type.help);
        SysFreeString(name);
        SysFreeString(help);
        info->Release();
    }
}

TEST_F(TypeLibrary, TheClassDefaultsToIFexoCtlAndFiresIFexoCtlEvents)
{
    ITypeInfo* coclass = InfoOf(CLSID_FexoCtl);
    ASSERT_NE(coclass, nullptr);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(coclass->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FCANCREATE);
    ASSERT_EQ(attributes->cImplTypes, 2);
    coclass->ReleaseTypeAttr(attributes);

    const struct {
        const GUID* id;
        INT flags;
    } kImplemented[] = {
        {&IID_IFexoCtl, IMPLTYPEFLAG_FDEFAULT},
        {&DIID__IFexoCtlEvents, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE},
    };
    for (UINT i = 0; i < 2; ++i) {
        INT flags = 0;
        ASSERT_EQ(coclass->GetImplTypeFlags(i, &flags), S_OK);
        EXPECT_EQ(flags, kImplemented[i].flags) << i;
        HREFTYPE reference = 0;
        ITypeInfo* implemented = nullptr;
        ASSERT_EQ(coclass->GetRefTypeOfImplType(i, &reference), S_OK);
        ASSERT_EQ(coclass->GetRefTypeInfo(reference, &implemented), S_OK);
        TYPEATTR* implementedAttributes = nullptr;
        ASSERT_EQ(implemented->GetTypeAttr(&implementedAttributes), S_OK);
        EXPECT_TRUE(IsEqualGUID(implementedAttributes->guid, *kImplemented[i].id)) << i;
        implemented->ReleaseTypeAttr(implementedAttributes);
        implemented->Release();
    }
    coclass->Release();
}

TEST_F(TypeLibrary, IFexoCtlListsItsMembersInVtableOrder)
{
    ITypeInfo* dispatch = InfoOf(IID_IFexoCtl);
    ASSERT_NE(dispatch, nullptr);
    HREFTYPE reference = 0;
    ITypeInfo* info = nullptr;
    ASSERT_EQ(dispatch->GetRefTypeOfImplType(-1, &reference), S_OK) << "a dual interface";
    ASSERT_EQ(dispatch->GetRefTypeInfo(reference, &info), S_OK);
    dispatch->Release();

    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, TKIND_INTERFACE);
    EXPECT_EQ(attributes->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION),
              TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION);
    EXPECT_EQ(attributes->cFuncs, 127);
    EXPECT_EQ(attributes->cbSizeVft, (7 + 127) * sizeof(void*));
    const WORD functionCount = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);

    std::vector<std::string> functions;
    int properties = 0, methods = 0;
    for (UINT i = 0; i < functionCount; ++i) {
        FUNCDESC* function = nullptr;
        ASSERT_EQ(info->GetFuncDesc(i, &function), S_OK);
        functions.push_back(DescribeFunction(info, *function));
        EXPECT_EQ(function->oVft, SHORT((7 + i) * sizeof(void*))) << functions.back();
        EXPECT_EQ(function->elemdescFunc.tdesc.vt, VT_HRESULT) << functions.back();
        if (function->invkind == INVOKE_PROPERTYGET) ++properties;
        if (function->invkind == INVOKE_FUNC) ++methods;
        info->ReleaseFuncDesc(function);
    }
    info->Release();
    const std::vector<std::string> expected = ExpectedFunctions();
    ASSERT_EQ(functions.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(functions[i], expected[i]) << i;
    EXPECT_EQ(properties, 48);
    EXPECT_EQ(methods, 33);
}

TEST_F(TypeLibrary, TheEventInterfaceHasItsNineEvents)
{
    ITypeInfo* info = InfoOf(DIID__IFexoCtlEvents);
    ASSERT_NE(info, nullptr);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    const WORD functionCount = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);

    std::vector<std::string> events;
    for (UINT i = 0; i < functionCount; ++i) {
        FUNCDESC* function = nullptr;
        ASSERT_EQ(info->GetFuncDesc(i, &function), S_OK);
        events.push_back(DescribeFunction(info, *function));
        info->ReleaseFuncDesc(function);
    }
    info->Release();
    EXPECT_EQ(events, (std::vector<std::string>{
                          "PageChange(long) 2 'method PageChange'",
                          "ZoomChange(BSTR) 3 'method ZoomChange'",
                          "DisplayModeChange(BSTR) 4 'method DisplayModeChange'",
                          "BackForwardChange(BSTR) 5 'method BackForwardChange'",
                          "ScrollEvent(BSTR) 6 'method ScrollEvent'",
                          "HyperlinkClick(VARIANT_BOOL*, BSTR*, BSTR*, BSTR*) 8 'method HyperlinkClick'",
                          "PlugInError(BSTR) 9 'method PlugInError'",
                          "LayoutChange(BSTR) 10 'method LayoutChange'",
                          "RequestPassword(BSTR, int, int) 11 'method RequestPassword'",
                      }));
}
