#!/usr/bin/env python3
"""Windows Installer source for FexoCntl.DLL, made from what DllRegisterServer writes.

The package registers the control with plain registry rows, as installers should, and
those rows are captured from the module's own registration under Wine, so that they
are the registry script, the file associations and the type library exactly as the
code writes them:

  installer_source.py version DLL
      the version record's file version, "6.1.1.1574"
  installer_source.py planting BEFORE.reg REGISTERED.reg KEY...
      a .reg file (for `reg import`) that plants each KEY below Classes, and a stale
      subkey below every key that registration added: registering once more over them
      shows what registration deletes
  installer_source.py source ARCH VERSION BEFORE.reg REGISTERED.reg UNREGISTERED.reg
                      PLANTED.reg REREGISTERED.reg OUT
      OUT.wxs, the WiX source (its File is FexoCntl.DLL in the current directory), and
      OUT.sql, the queries that wixl cannot express, one a line, for msibuild -q;
      ARCH x86 or x64; the .reg files are `reg export`s of HKLM\\Software\\Classes
      before registration, after it, after unregistration, after the planting, and
      after registering over it
  installer_source.py classid REGISTERED.reg BEFORE.reg
      the class identifier that registration added under CLSID
"""
import re
import struct
import sys
from xml.sax.saxutils import quoteattr

CLASSES = "HKEY_LOCAL_MACHINE\\Software\\Classes\\"
STALE = "\\FexoStale"

# One product per architecture: both may be installed on a 64-bit machine.
IDENTIFIERS = {
    "x86": {"upgrade": "{5F0C2B71-8E44-4C1D-9A57-0F6B3D2E8A10}",
            "module": "{5F0C2B72-8E44-4C1D-9A57-0F6B3D2E8A10}",
            "associations": "{5F0C2B73-8E44-4C1D-9A57-0F6B3D2E8A10}"},
    "x64": {"upgrade": "{5F0C2B74-8E44-4C1D-9A57-0F6B3D2E8A10}",
            "module": "{5F0C2B75-8E44-4C1D-9A57-0F6B3D2E8A10}",
            "associations": "{5F0C2B76-8E44-4C1D-9A57-0F6B3D2E8A10}"},
}


def file_version(path):
    data = open(path, "rb").read()
    at = data.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        sys.exit(f"{path}: no version record")
    most, least = struct.unpack_from("<II", data, at + 8)
    return f"{most >> 16}.{most & 0xFFFF}.{least >> 16}.{least & 0xFFFF}"


def read_export(path):
    """{key below Classes: {value name ('' for the default): data}} of a `reg export` file.

    Only text values are decoded; any other value keeps its exported form, which the
    WiX source refuses."""
    raw = open(path, "rb").read()
    text = raw.decode("utf-16") if raw[:2] == b"\xff\xfe" else raw.decode("utf-8-sig")
    keys, current = {}, None
    for line in re.sub(r"\\\r?\n\s*", "", text).splitlines():
        if line.startswith("[") and line.endswith("]"):
            name = line[1:-1]
            current = keys.setdefault(name[len(CLASSES):], {}) if name.startswith(CLASSES) else None
        elif current is not None and line and line[0] in '@"':
            match = re.match(r'(@|"((?:[^"\\]|\\.)*)")=(.*)', line)
            name = "" if match.group(1) == "@" else unescape(match.group(2))
            data = match.group(3)
            current[name] = unescape(data[1:-1]) if data.startswith('"') else data
    return keys


def unescape(text):
    return re.sub(r"\\(.)", r"\1", text)


def added(after, before):
    """Keys and values of `after` that `before` lacks or holds with other data."""
    result = {}
    for key, values in after.items():
        new = {name: data for name, data in values.items() if before.get(key, {}).get(name) != data}
        if new or key not in before:
            result[key] = new
    return result


def registry_rows(entries, module, arch):
    rows = []
    for key in sorted(entries):
        for name, data in sorted(entries[key].items()):
            if data.startswith(("dword:", "hex")):
                sys.exit(f"{key}\\{name}: only text values are supported")
            value = data.replace("[", "[\\[]").replace(module, "[#FexoCntl.DLL]")
            # The type library's help folder: the installed one, without a final backslash.
            folder = "[ProgramFiles64Folder]" if arch == "x64" else "[ProgramFilesFolder]"
            value = value.replace(module.rpartition("\\")[0], folder + "FexoControl")
            named = f" Name={quoteattr(name)}" if name else ""
            rows.append(f'<RegistryValue Root="HKCR" Key={quoteattr(key)}{named} '
                        f'Type="string" Value={quoteattr(value)}/>')
    return rows


def key_queries(entries, new_keys, component, delete):
    """Registry rows for the new keys: created at install ("+"), and with `delete` also
    deleted whole at uninstall ("*"), as unregistration deletes them."""
    queries = []
    for number, key in enumerate(sorted(k for k in entries if k in new_keys)):
        if "'" in key:
            sys.exit(f"{key}: a quote in a key name")
        if delete or not entries[key]:
            queries.append("INSERT INTO Registry (Registry, Root, `Key`, Name, Component_) VALUES "
                           f"('{component}Key{number}', 0, '{key}', "
                           f"'{'*' if delete else '+'}', '{component}')")
    return queries


def planting(before, registered, keys):
    stale = [key + STALE for key in added(registered, before) if key not in before]
    lines = ["REGEDIT4", ""]
    for key in sorted(keys) + sorted(stale):
        lines += [f"[{CLASSES}{key}]", '"Planted"="stale"', ""]
    return "\r\n".join(lines)


def deleted_keys(planted, reregistered):
    """The planted keys that registration deleted, a stale subkey standing for its key
    (wiped before being written); none below another."""
    gone = {key.removesuffix(STALE) for key, values in planted.items()
            if values.get("Planted") == "stale" and key not in reregistered}
    return sorted(key for key in gone if not any(key.startswith(other + "\\") for other in gone))


def remove_queries(keys):
    """RemoveRegistry rows: each key deleted whole ("-") at install, before the writing,
    as registration deletes it."""
    if not keys:
        return []
    return ["CREATE TABLE `RemoveRegistry` (`RemoveRegistry` CHAR(72) NOT NULL, `Root` SHORT NOT NULL, "
            "`Key` CHAR(255) NOT NULL LOCALIZABLE, `Name` CHAR(255) LOCALIZABLE, "
            "`Component_` CHAR(72) NOT NULL PRIMARY KEY `RemoveRegistry`)"] + \
        ["INSERT INTO RemoveRegistry (RemoveRegistry, Root, `Key`, Name, Component_) VALUES "
         f"('Deleted{number}', 0, '{key}', '-', 'Module')" for number, key in enumerate(keys)]


def source(arch, version, before, registered, unregistered, planted, reregistered, out):
    module = registered_module_path(registered)
    written = added(registered, before)
    # What unregistration leaves (the file associations) stays at uninstall too.
    kept = added(unregistered, before)
    removed = {key: values for key, values in written.items() if key not in kept}
    new_keys = {key for key in written if key not in before}
    ids = IDENTIFIERS[arch]
    win64 = "yes" if arch == "x64" else "no"
    folder = "ProgramFiles64Folder" if arch == "x64" else "ProgramFilesFolder"
    module_rows = "\n          ".join(registry_rows(removed, module, arch))
    kept_rows = "\n          ".join(registry_rows(kept, module, arch))
    # Permanent (16), with its registry key path (4), in the 64-bit view on x64 (256).
    permanent = 16 + 4 + (256 if arch == "x64" else 0)
    queries = key_queries(removed, new_keys, "Module", True) + \
        key_queries(kept, new_keys, "FileAssociations", False) + \
        [f"UPDATE Component SET Attributes = {permanent} WHERE Component = 'FileAssociations'"] + \
        remove_queries(deleted_keys(planted, reregistered))
    open(out + ".sql", "w").write("\n".join(queries) + "\n")
    open(out + ".wxs", "w").write(f"""<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name="FexoControl ({arch})" Manufacturer="Harrowmark" Language="1033"
           Version="{version}" UpgradeCode="{ids['upgrade']}">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"
             Description="FexoControl Module"/>
    <MajorUpgrade DowngradeErrorMessage="A newer FexoControl is already installed."/>
    <Media Id="1" Cabinet="FexoCntl.cab" EmbedCab="yes"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="{folder}">
        <Directory Id="INSTALLDIR" Name="FexoControl">
          <Component Id="Module" Guid="{ids['module']}" Win64="{win64}">
          <File Id="FexoCntl.DLL" Name="FexoCntl.DLL" Source="FexoCntl.DLL" KeyPath="yes"/>
          {module_rows}
          </Component>
          <Component Id="FileAssociations" Guid="{ids['associations']}" Win64="{win64}">
          {kept_rows}
          </Component>
        </Directory>
      </Directory>
    </Directory>
    <Feature Id="Control" Level="1">
      <ComponentRef Id="Module"/>
      <ComponentRef Id="FileAssociations"/>
    </Feature>
  </Product>
</Wix>
""")


def registered_module_path(registered):
    for key, values in registered.items():
        if key.endswith("\\InprocServer32") and values.get("", "").endswith("FexoCntl.DLL"):
            return values[""]
    sys.exit("the capture holds no InprocServer32 of FexoCntl.DLL")


def class_id(registered, before):
    keys = [key for key in added(registered, before) if re.fullmatch(r"CLSID\\\{[^\\]*\}", key)]
    if len(keys) != 1:
        sys.exit(f"expected one new class, found {keys}")
    return keys[0][len("CLSID\\"):]


if __name__ == "__main__":
    command, args = sys.argv[1], sys.argv[2:]
    if command == "version":
        print(file_version(args[0]))
    elif command == "source":
        source(args[0], args[1], *(read_export(path) for path in args[2:7]), args[7])
    elif command == "planting":
        sys.stdout.write(planting(read_export(args[0]), read_export(args[1]), args[2:]))
    elif command == "classid":
        print(class_id(read_export(args[0]), read_export(args[1])))
    else:
        sys.exit(__doc__)
