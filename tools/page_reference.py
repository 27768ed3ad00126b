#!/usr/bin/env python3
"""The page authors' reference of the control, made from the type library's source.

  page_reference.py IDL PROPERTY-MAP-SOURCE [--check REFERENCE.md | --output REFERENCE.md]

Members, dispatch identifiers and types come from the IDL that widl compiles into the
type library; the descriptions from the "///" line before each member; the page
parameter names from the control's property map (its DispatchRow entries).  Without an
option the reference goes to standard output; --check fails when the file differs.
"""
import re
import sys

MEMBER = re.compile(r"(?:///\s*(?P<doc>.*)\n\s*)?\[(?P<attributes>[^\]]*)\]\s*HRESULT\s+(?P<name>\w+)\((?P<params>[^)]*)\);")
TYPES = {"BSTR": "String", "long": "Long", "short": "Short", "int": "Long", "double": "Double",
         "OLE_COLOR": "Color", "VARIANT_BOOL": "Boolean"}


def members(block):
    for match in MEMBER.finditer(block):
        attributes = match["attributes"]
        params = []
        # "[in, out] BSTR* ValUrl", "[out, retval] long* pVal"
        for direction, declaration in re.findall(r"\[([^\]]*)\]\s*([^,\[]+)", match["params"]):
            kind, name = declaration.strip().rsplit(None, 1)
            params.append((direction, kind.rstrip("*").strip(), name, kind.endswith("*")))
        yield {"name": match["name"], "doc": (match["doc"] or "").strip(),
               "id": int(re.search(r"id\((\d+)\)", attributes)[1]),
               "get": "propget" in attributes, "put": "propput" in attributes, "params": params}


def block(idl, keyword, name):
    start = re.search(rf"{keyword}\s+{name}\b[^{{]*{{", idl).end()
    return idl[start:idl.index("};", start)]


def reference(idl, property_map):
    parameters = {}
    for name, dispid in re.findall(r'DispatchRow\(L"(\w+)",\s*(\d+)\)', property_map):
        parameters.setdefault(int(dispid), []).append(name)
    properties, methods = {}, []
    for member in members(block(idl, "interface", "IFexoCtl")):
        if member["get"] or member["put"]:
            entry = properties.setdefault(member["name"], {**member, "access": set()})
            entry["access"].add("read" if member["get"] else "write")
            entry["doc"] = entry["doc"] or member["doc"]
            if member["get"]:
                entry["type"] = member["params"][0][1]
        else:
            methods.append(member)
    out = ["# FexoControl: reference for page authors",
           "",
           "Made by `tools/page_reference.py` from `res/FexoCtl.idl` (the source of the type",
           "library `FEXOCONTROLLib` 1.0) and the control's property map; do not edit by hand.",
           "Class `FexoControl.FexoCtl` (`FexoControl.FexoCtl.3.6.1.52`), class identifier",
           "`" + re.search(r"uuid\(([^)]*)\)[^\[]*\]\s*coclass", idl)[1] + "`.",
           "A sample page: [sample.html](sample.html).",
           "",
           "## Properties",
           "",
           "A page sets a property with `<param name=\"…\" value=\"…\">` when it has a page",
           "parameter; script reads and writes every property by name. A write is stored",
           "and sent to the viewer (the hosted plugin) under the key shown; reads that ask",
           "the viewer return its answer.",
           "",
           "| property | dispid | type | access | page parameter | default | a write sends to the viewer |",
           "|---|---|---|---|---|---|---|"]
    for p in sorted(properties.values(), key=lambda p: p["id"]):
        default, _, sends = p["doc"].partition(" | ")
        access = "read/write" if len(p["access"]) == 2 else "read-only" if "read" in p["access"] else "write-only"
        names = ", ".join(parameters.get(p["id"], [])) or "–"
        out.append(f"| {p['name']} | {p['id']} | {TYPES[p['type']]} | {access} | {names} | {default} | {sends} |")
    out += ["", "## Methods", "", "| method | dispid | arguments | returns | what it does |", "|---|---|---|---|---|"]
    for m in methods:
        arguments = ", ".join(f"{name} ({TYPES[kind]})" for direction, kind, name, _ in m["params"]
                              if "retval" not in direction) or "–"
        returns = next((TYPES[kind] for direction, kind, _, _ in m["params"] if "retval" in direction), "–")
        out.append(f"| {m['name']} | {m['id']} | {arguments} | {returns} | {m['doc']} |")
    out += ["", "## Events", "",
            "Handle them in script with `<script for=\"control-id\" event=\"Name(arguments)\">`.", "",
            "| event | dispid | arguments | fires |", "|---|---|---|---|"]
    for e in members(block(idl, "dispinterface", "_IFexoCtlEvents")):
        arguments = ", ".join(f"{name} ({TYPES[kind]}{', in/out' if by_ref else ''})"
                              for _, kind, name, by_ref in e["params"])
        out.append(f"| {e['name']} | {e['id']} | {arguments} | {e['doc'].removeprefix('Fires ')} |")
    return "\n".join(out) + "\n"


if __name__ == "__main__":
    text = reference(open(sys.argv[1]).read(), open(sys.argv[2]).read())
    if len(sys.argv) == 5 and sys.argv[3] == "--check":
        if open(sys.argv[4]).read() != text:
            sys.exit(f"{sys.argv[4]} is not what the type library's source gives: "
                     "rebuild the target page_reference and commit it")
    elif len(sys.argv) == 5 and sys.argv[3] == "--output":
        open(sys.argv[4], "w").write(text)
    else:
        sys.stdout.write(text)
