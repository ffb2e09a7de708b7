// The members' names and DISPIDs as a script engine asks for them, and the
// type library as registered: library, coclass and interface attributes, and
// every function's DISPID, kind, parameter names, types and help string, as
// the member table (generated from the same definitions) has them.
#include <ole2.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "QuillActiveX.h"
#include "member_table.h"
#include "tests/checks.h"
#include "tests/client_groups.h"

namespace quill {
namespace comtest {
namespace {

std::wstring Wide(const char* text) {
  return std::wstring(text, text + strlen(text));
}

VARTYPE VarTypeOf(ScriptType type) {
  return type == ScriptType::kText ? VT_BSTR : VT_I4;
}

std::wstring Documentation(ITypeInfo* info, MEMBERID id) {
  BSTR text = nullptr;
  std::wstring result;
  if (SUCCEEDED(info->GetDocumentation(id, nullptr, &text, nullptr, nullptr)) && text) {
    result = text;
  }
  SysFreeString(text);
  return result;
}

std::vector<std::wstring> Names(ITypeInfo* info, MEMBERID id) {
  BSTR names[16] = {};
  UINT count = 0;
  std::vector<std::wstring> result;
  if (FAILED(info->GetNames(id, names, 16, &count))) return result;
  for (UINT i = 0; i < count; ++i) {
    result.push_back(names[i] != nullptr ? names[i] : L"");
    SysFreeString(names[i]);
  }
  return result;
}

void CheckFunction(ITypeInfo* info, UINT index, const MemberInfo& row) {
  const std::string label = std::string("function ") + std::to_string(index) + " " + row.name;
  FUNCDESC* function = nullptr;
  if (!Check(SUCCEEDED(info->GetFuncDesc(index, &function)), label + ": GetFuncDesc")) return;
  Check(function->memid == row.dispid, label + ": DISPID " + std::to_string(function->memid));
  const INVOKEKIND kind = row.kind == MemberKind::kMethod        ? INVOKE_FUNC
                          : row.kind == MemberKind::kPropertyGet ? INVOKE_PROPERTYGET
                                                                 : INVOKE_PROPERTYPUT;
  Check(function->invkind == kind, label + ": invoke kind");
  Check(function->funckind == FUNC_PUREVIRTUAL && function->callconv == CC_STDCALL,
        label + ": a virtual stdcall function");
  Check(function->oVft == static_cast<SHORT>((7 + index) * sizeof(void*)),
        label + ": its slot in the virtual table");
  Check(function->elemdescFunc.tdesc.vt == VT_HRESULT, label + ": returns HRESULT");

  // Parameters: the table's, then the result (none for a put).
  const bool put = row.kind == MemberKind::kPropertyPut;
  const size_t expected = row.parameters.size() + (put ? 0 : 1);
  if (Check(function->cParams == static_cast<SHORT>(expected), label + ": parameter count")) {
    for (size_t i = 0; i < row.parameters.size(); ++i) {
      const ELEMDESC& parameter = function->lprgelemdescParam[i];
      Check(parameter.tdesc.vt == VarTypeOf(row.parameters[i]), label + ": parameter type");
      const bool undirected = (row.undirectedParameters & (1u << i)) != 0;
      const USHORT flags = undirected ? PARAMFLAG_NONE : PARAMFLAG_FIN;
      Check(parameter.paramdesc.wParamFlags == flags,
            label + ": parameter flags " + std::to_string(parameter.paramdesc.wParamFlags));
    }
    if (!put) {
      const ELEMDESC& result = function->lprgelemdescParam[row.parameters.size()];
      Check(result.tdesc.vt == VT_PTR && result.tdesc.lptdesc->vt == VarTypeOf(row.result),
            label + ": result type");
      Check(result.paramdesc.wParamFlags == (PARAMFLAG_FOUT | PARAMFLAG_FRETVAL),
            label + ": [out, retval]");
    }
  }

  const std::wstring help =
      (row.kind == MemberKind::kMethod ? L"method " : L"property ") + Wide(row.name);
  Check(Documentation(info, function->memid) == help, label + ": help string");

  // Names: the member's, then its parameters' (a put's is unnamed).
  const std::vector<std::wstring> names = Names(info, function->memid);
  Check(!names.empty() && names[0] == Wide(row.name), label + ": name");
  if (row.kind == MemberKind::kMethod) {
    std::vector<std::wstring> wanted = {Wide(row.name)};
    for (const char* parameter : row.parameterNames) wanted.push_back(Wide(parameter));
    wanted.push_back(L"pVal");
    Check(names == wanted, label + ": parameter names");
  }
  info->ReleaseFuncDesc(function);
}

}  // namespace

void CheckNamesAndDispids() {
  Section("names and DISPIDs");
  IDispatch* control = nullptr;
  HRESULT result = CoCreateInstance(CLSID_QuillActiveXCtrl, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IDispatch, reinterpret_cast<void**>(&control));
  if (!CheckHr(result, S_OK, "create the control")) return;
  Check(!MemberTable().empty(), "members in the table");
  for (const MemberInfo& row : MemberTable()) {
    std::wstring name = Wide(row.name);
    LPOLESTR names[] = {&name[0]};
    DISPID id = 0;
    result = control->GetIDsOfNames(IID_NULL, names, 1, 0x0409, &id);
    Check(SUCCEEDED(result) && id == row.dispid,
          std::string("GetIDsOfNames ") + row.name + " -> " + std::to_string(id));
  }
  std::wstring lower = L"quillgetuidbyindex";
  LPOLESTR lowerNames[] = {&lower[0]};
  DISPID id = 0;
  result = control->GetIDsOfNames(IID_NULL, lowerNames, 1, 0x0409, &id);
  Check(SUCCEEDED(result) && id == 46, "names are found whatever their case");
  std::wstring unknown = L"QuillFormatToken";
  LPOLESTR unknownNames[] = {&unknown[0]};
  result = control->GetIDsOfNames(IID_NULL, unknownNames, 1, 0x0409, &id);
  CheckHr(result, DISP_E_UNKNOWNNAME, "an unknown name");
  Check(id == DISPID_UNKNOWN, "an unknown name has DISPID_UNKNOWN");
  control->Release();
}

void CheckTypeLibrary() {
  Section("type library");
  ITypeLib* library = nullptr;
  HRESULT result = LoadRegTypeLib(LIBID_QuillActiveXLib, 1, 0, 0x0409, &library);
  if (!CheckHr(result, S_OK, "LoadRegTypeLib 1.0")) return;

  TLIBATTR* libraryAttributes = nullptr;
  if (Check(SUCCEEDED(library->GetLibAttr(&libraryAttributes)), "GetLibAttr")) {
    Check(libraryAttributes->lcid == 0x0409, "library locale 0x0409");
    Check(libraryAttributes->wMajorVerNum == 1 && libraryAttributes->wMinorVerNum == 0,
          "library version 1.0");
    Check(libraryAttributes->syskind == (sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32),
          "library built for this architecture");
    library->ReleaseTLibAttr(libraryAttributes);
  }
  BSTR name = nullptr;
  BSTR help = nullptr;
  library->GetDocumentation(-1, &name, &help, nullptr, nullptr);
  Check(name != nullptr && std::wstring(name) == L"QuillActiveXLib", "library name");
  Check(help != nullptr && std::wstring(help) == L"QuillActiveX 1.0 Type Library",
        "library help string");
  SysFreeString(name);
  SysFreeString(help);

  // The coclass.
  ITypeInfo* coclass = nullptr;
  if (Check(SUCCEEDED(library->GetTypeInfoOfGuid(CLSID_QuillActiveXCtrl, &coclass)),
            "the coclass is described")) {
    TYPEATTR* attributes = nullptr;
    coclass->GetTypeAttr(&attributes);
    Check(attributes->typekind == TKIND_COCLASS, "coclass kind");
    Check(attributes->wTypeFlags == (TYPEFLAG_FCANCREATE | TYPEFLAG_FCONTROL),
          "coclass flags: can create, control");
    Check(attributes->cImplTypes == 1, "one interface");
    coclass->ReleaseTypeAttr(attributes);
    Check(Documentation(coclass, MEMBERID_NIL) == L"QuillActiveXCtrl Class", "coclass help");
    INT flags = 0;
    coclass->GetImplTypeFlags(0, &flags);
    Check(flags == IMPLTYPEFLAG_FDEFAULT, "the interface is the default");
    HREFTYPE reference = 0;
    ITypeInfo* implemented = nullptr;
    if (SUCCEEDED(coclass->GetRefTypeOfImplType(0, &reference)) &&
        SUCCEEDED(coclass->GetRefTypeInfo(reference, &implemented))) {
      TYPEATTR* implementedAttributes = nullptr;
      implemented->GetTypeAttr(&implementedAttributes);
      Check(IsEqualIID(implementedAttributes->guid, IID_IQuillActiveXCtrl),
            "the default interface is IQuillActiveXCtrl");
      implemented->ReleaseTypeAttr(implementedAttributes);
      implemented->Release();
    }
    coclass->Release();
  }

  // The interface: its dispatch face, then the virtual table behind it.
  ITypeInfo* dispatch = nullptr;
  if (!Check(SUCCEEDED(library->GetTypeInfoOfGuid(IID_IQuillActiveXCtrl, &dispatch)),
             "the interface is described")) {
    library->Release();
    return;
  }
  Check(Documentation(dispatch, MEMBERID_NIL) == L"IQuillActiveXCtrl Interface", "interface help");
  HREFTYPE vtableReference = 0;
  ITypeInfo* vtable = nullptr;
  if (Check(SUCCEEDED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableReference)) &&
                SUCCEEDED(dispatch->GetRefTypeInfo(vtableReference, &vtable)),
            "the dual interface has a virtual table")) {
    TYPEATTR* attributes = nullptr;
    vtable->GetTypeAttr(&attributes);
    Check(attributes->typekind == TKIND_INTERFACE, "interface kind");
    const WORD flags =
        TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
    Check((attributes->wTypeFlags & flags) == flags,
          "dual, nonextensible, oleautomation, dispatchable: " +
              std::to_string(attributes->wTypeFlags));
    // One function per row of the member table, after IDispatch's seven.
    const size_t rows = MemberTable().size();
    Check(
        static_cast<size_t>(attributes->cFuncs) == rows,
        std::to_string(rows) + " functions, one per member: " + std::to_string(attributes->cFuncs));
    Check(static_cast<size_t>(attributes->cbSizeVft) == (7 + rows) * sizeof(void*),
          std::to_string(7 + rows) + " virtual table slots");
    const UINT count = attributes->cFuncs;
    vtable->ReleaseTypeAttr(attributes);
    HREFTYPE baseReference = 0;
    ITypeInfo* base = nullptr;
    if (SUCCEEDED(vtable->GetRefTypeOfImplType(0, &baseReference)) &&
        SUCCEEDED(vtable->GetRefTypeInfo(baseReference, &base))) {
      TYPEATTR* baseAttributes = nullptr;
      base->GetTypeAttr(&baseAttributes);
      Check(IsEqualIID(baseAttributes->guid, IID_IDispatch), "derived from IDispatch");
      base->ReleaseTypeAttr(baseAttributes);
      base->Release();
    }
    for (UINT i = 0; i < count && i < MemberTable().size(); ++i) {
      CheckFunction(vtable, i, MemberTable()[i]);
    }
    vtable->Release();
  }
  dispatch->Release();
  library->Release();
}

}  // namespace comtest
}  // namespace quill
