// The registered type library as automation clients read it: the library and
// its three types, the class's interfaces, and every member of IFexoCtl and
// _IFexoCtlEvents with its dispatch identifier and parameters, in vtable order.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "FexoCtl.h"
#include "redirected_registry.h"
#include "server_dll.h"

using fexo::test::ServerDll;

namespace {

std::string Narrow(BSTR text)
{
    std::string narrow(text, text + SysStringLen(text));
    SysFreeString(text);
    return narrow;
}

std::string NameOf(ITypeInfo* info, MEMBERID member = MEMBERID_NIL, bool help = false)
{
    BSTR name = nullptr, helpText = nullptr;
    info->GetDocumentation(member, &name, &helpText, nullptr, nullptr);
    return help ? Narrow(name) + " '" + Narrow(helpText) + "'" : (SysFreeString(helpText), Narrow(name));
}

std::string TypeName(ITypeInfo* owner, const TYPEDESC& type)
{
    ITypeInfo* alias = nullptr;
    switch (type.vt) {
    case VT_I2: return "short";
    case VT_I4: return "long";
    case VT_UI4: return "ulong";
    case VT_INT: return "int";
    case VT_R8: return "double";
    case VT_BSTR: return "BSTR";
    case VT_BOOL: return "bool";
    case VT_PTR: return TypeName(owner, *type.lptdesc) + "*";
    case VT_USERDEFINED:
        if (FAILED(owner->GetRefTypeInfo(type.hreftype, &alias))) return "?";
        return NameOf(alias) + (alias->Release(), "");
    default: return "vt" + std::to_string(type.vt);
    }
}

// "1 SRC =BSTR; 26 GetDocPagesCount long*; ..." per dispatch identifier, in vtable order;
// `flags` collects what every function must share.
std::string Members(ITypeInfo* info, std::string& flags)
{
    TYPEATTR* attributes = nullptr;
    EXPECT_EQ(info->GetTypeAttr(&attributes), S_OK);
    std::string text;
    MEMBERID last = MEMBERID_NIL;
    for (UINT i = 0; i < attributes->cFuncs; ++i) {
        FUNCDESC* function = nullptr;
        EXPECT_EQ(info->GetFuncDesc(i, &function), S_OK);
        if (function->memid != last)
            text += (text.empty() ? "" : "; ") + std::to_string(function->memid) + " " + NameOf(info, function->memid);
        last = function->memid;
        text += function->invkind == INVOKE_PROPERTYGET ? " get" : function->invkind == INVOKE_PROPERTYPUT ? " put" : "";
        for (SHORT p = 0; p < function->cParams; ++p)
            text += (p ? "," : " ") + TypeName(info, function->lprgelemdescParam[p].tdesc);
        if (attributes->typekind == TKIND_INTERFACE &&
            (function->oVft != SHORT((7 + i) * sizeof(void*)) || function->elemdescFunc.tdesc.vt != VT_HRESULT))
            flags += " slot " + std::to_string(i);
        info->ReleaseFuncDesc(function);
    }
    info->ReleaseTypeAttr(attributes);
    for (const std::string type : {"BSTR", "double", "long", "short"})  // " =T": read and written
        for (size_t at; (at = text.find(" get " + type + "* put " + type)) != std::string::npos;)
            text.replace(at, 2 * type.size() + 11, " =" + type);
    return text;
}

class TypeLibrary : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(ServerDll::Register(), S_OK); }
    static void TearDownTestSuite() { fexo::test::ClearRedirectedRoots(); }

    void SetUp() override { ASSERT_EQ(LoadRegTypeLib(LIBID_FEXOCONTROLLib, 1, 0, 0x409, &m_library), S_OK); }
    void TearDown() override { m_library->Release(); }

    ITypeInfo* Info(REFGUID id)
    {
        ITypeInfo* info = nullptr;
        EXPECT_EQ(m_library->GetTypeInfoOfGuid(id, &info), S_OK);
        return info;
    }
    // "name 'help' kind flags": the library (null) or one of its types.
    std::string Describe(const GUID* id)
    {
        if (!id) {
            TLIBATTR* library = nullptr;
            m_library->GetLibAttr(&library);
            BSTR name = nullptr, help = nullptr;
            m_library->GetDocumentation(-1, &name, &help, nullptr, nullptr);
            const std::string text = Narrow(name) + " '" + Narrow(help) + "' " + std::to_string(library->lcid) +
                                     " " + std::to_string(library->syskind == (sizeof(void*) == 4 ? SYS_WIN32 : SYS_WIN64)) +
                                     " " + std::to_string(library->wMajorVerNum) + "." + std::to_string(library->wMinorVerNum);
            m_library->ReleaseTLibAttr(library);
            return text;
        }
        ITypeInfo* info = Info(*id);
        TYPEATTR* type = nullptr;
        info->GetTypeAttr(&type);
        std::string text = NameOf(info, MEMBERID_NIL, true) + " " + std::to_string(type->typekind) + " " +
                           std::to_string(type->wTypeFlags);
        for (UINT i = 0; i < type->cImplTypes; ++i) {  // the class's interfaces, with their flags
            HREFTYPE reference = 0;
            ITypeInfo* implemented = nullptr;
            INT flags = 0;
            info->GetImplTypeFlags(i, &flags);
            info->GetRefTypeOfImplType(i, &reference);
            info->GetRefTypeInfo(reference, &implemented);
            text += ", " + NameOf(implemented) + " " + std::to_string(flags);
            implemented->Release();
        }
        info->ReleaseTypeAttr(type);
        info->Release();
        return text;
    }

    ITypeLib* m_library = nullptr;
};

}  // namespace

TEST_F(TypeLibrary, DescribesTheLibraryAndItsThreeTypes)
{
    EXPECT_EQ(m_library->GetTypeInfoCount(), 3u);
    std::string text;
    for (const GUID* id : {static_cast<const GUID*>(nullptr), &CLSID_FexoCtl, &IID_IFexoCtl, &DIID__IFexoCtlEvents})
        text += Describe(id) + "\n";
    // kinds: 5 coclass, 4 dispatch; flags: 2 creatable, 0x1040 dual and automation, 0x1000 dispatchable;
    // implemented: 1 default, 3 default source.
    EXPECT_EQ(text, "FEXOCONTROLLib 'FexoControl 1.0 Type Library' 1033 1 1.0\n"
                    "FexoCtl 'FexoCtl Class' 5 2, IFexoCtl 1, _IFexoCtlEvents 3\n"
                    "IFexoCtl 'IFexoCtl Interface' 4 4160, IDispatch 0\n"
                    "_IFexoCtlEvents '_IFexoCtlEvents Interface' 4 4096, IDispatch 0\n");
}

TEST_F(TypeLibrary, ListsEveryMemberWithItsIdentifierInVtableOrder)
{
    // stdole's OLE_COLOR; Wine's 64-bit oleaut32 reports the alias as its base type.
    const std::string kColour = sizeof(void*) == 4 ? "OLE_COLOR" : "ulong";
    ITypeInfo* dispatch = Info(IID_IFexoCtl);
    HREFTYPE dual = 0;
    ITypeInfo* info = nullptr;
    ASSERT_EQ(dispatch->GetRefTypeOfImplType(-1, &dual), S_OK) << "a dual interface";
    ASSERT_EQ(dispatch->GetRefTypeInfo(dual, &info), S_OK);
    dispatch->Release();
    std::string flags;
    EXPECT_EQ(Members(info, flags),
              "1 SRC =BSTR; 2 Flags =BSTR; 3 Align =BSTR; 4 Cache =BSTR; 5 Frame =BSTR; 6 Highlight =BSTR; "
              "8 Keyboard =BSTR; 9 Links =BSTR; 10 Logo =BSTR; 11 Menu =BSTR; 12 Mode =BSTR; 13 Page =BSTR; "
              "14 Passive =BSTR; 15 ScrollBars =BSTR; 16 Rotate =BSTR; 17 Thumbnails =BSTR; 18 Toolbar =BSTR; "
              "19 VAlign =BSTR; 20 Zoom =BSTR; 21 noMenu =BSTR; 22 noScrollBars =BSTR; 23 noToolbar =BSTR; "
              "24 NavPane =BSTR; 25 MouseMode =BSTR; 26 GetDocPagesCount long*; 27 GetDocFormatVersion short*; "
              "28 GetPageResolution short*; 29 GetPageLength long*; 30 GetPageWidth long*; 31 GetDocType BSTR*; "
              "34 HAlign =BSTR; 35 DisplayGamma =double; 36 PrintGamma =double; 37 PrintMatchScreen =long; "
              "38 PrintHighQuality =long; 39 MagSize =short; 40 MagZoom =short; 41 ZoomFast =long; "
              "42 HyperlinkSimpleBorder =long; 43 HyperlinkShowAllKey =BSTR; 44 ThumbnailFast =long; "
              "45 ThumbnailSmart =long; 46 MaxCacheSize =long; 47 HelpURL =BSTR; 48 PostError =long; 49 CmdHelp; "
              "50 CmdPageInfo; 51 CmdDocInfo; 52 CmdSavePageAs; 53 CmdSaveDocAs; 54 CmdFind; 55 CmdExportToFile; "
              "56 CmdPrint; 57 CmdPreferences; 58 CmdAboutFexo; 59 ScrollImage long,long; 60 NavView short; "
              "61 SaveAs BSTR,BSTR; 62 CopySelectedText; 63 SelectAllText; 64 UnSelectText; 65 CopyImage; "
              "66 ExportImageAs BSTR,BSTR; 67 HighlightTerm BSTR,long,long,long," + kColour + "; "
              "68 AddHighlightRect long,long,long,long,long; 69 RemoveAllHighlightRect; 70 RestoreDefaults; "
              "71 ClearCache; 72 PrintDocTo long,long,BSTR,BSTR,BSTR; 73 ShowMagnifier long; "
              "74 GetLastFexoError BSTR*; 77 LogoImage =BSTR; 78 RotateBy BSTR; 79 DisplayMode =BSTR; "
              "81 ShowPosition =BSTR; 82 PageText get BSTR*; 83 SelectedText get BSTR*; 84 Layout =BSTR; "
              "85 Prefetch =BSTR; 87 UserId put BSTR get BSTR*; 88 Password put BSTR get BSTR*");
    EXPECT_EQ(flags, "") << "each function in its own slot after IDispatch's seven, returning an HRESULT";
    info->Release();

    info = Info(DIID__IFexoCtlEvents);
    EXPECT_EQ(Members(info, flags),
              "2 PageChange long; 3 ZoomChange BSTR; 4 DisplayModeChange BSTR; 5 BackForwardChange BSTR; "
              "6 ScrollEvent BSTR; 8 HyperlinkClick bool*,BSTR*,BSTR*,BSTR*; 9 PlugInError BSTR; "
              "10 LayoutChange BSTR; 11 RequestPassword BSTR,int,int");
    info->Release();
}
