#!/bin/bash
# tools/package's packages through their clients, both architectures in turn in one fresh prefix (x86
# through its 32-bit programs): an install over planted keys, an upgrade and an uninstall leave the
# registry that regsvr32 left in tools/package's captures; page script creates the installed control
# only; osslsigncode accepts each signed file, not a changed one; the cabinet's INF names the version.
#   installer_clients.sh PREFIX WINE-LAUNCHER [LAUNCHER-ARGS...]
set -u
prefix=$1; shift; launcher=("$@")
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/build/package tool=$root/tools/installer_source.py
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
failures=0; exec 3>&1  # differences go to the log, since check silences the command
check() { if "${@:2}" >/dev/null 2>&1; then echo "ok: $arch: $1"; else echo "FAILED: $arch: $1"; failures=$((failures + 1)); fi; }
win() { local path=$1; echo "Z:${path//\//\\}"; }
wine() { "${launcher[@]}" "$@" </dev/null >/dev/null 2>&1; }
export_classes() { wine "$system\reg.exe" export 'HKLM\Software\Classes' "$(win "$1")" /y; }
creates() { wine "$system\cscript.exe" //nologo "$(win "$work/create.js")"; }
echo 'try { new ActiveXObject("FexoControl.FexoCtl"); new ActiveXObject("FexoControl.FexoCtl.3.6.1.52"); }
      catch (e) { WScript.Quit(2); }' >"$work/create.js"  # as page script does, under both identifiers
# registry_is CAPTURE [KEEPER]: the prefix holds below Classes beyond its fresh state what regsvr32 added
# in the capture, and the planted stale keys below a key that CAPTURE (or KEEPER, when the keys were
# removed in between) holds; module paths and folders aside, msiexec's own records left out.
registry_is() {
    export_classes "$work/now.reg"
    PYTHONPATH=$root/tools python3 - "$work/now.reg" "$work/fresh.reg" "$installed" "$out/capture/$arch" "$1" "${2:-$1}" >"$work/diff" <<'EOF'
import sys, difflib
from installer_source import read_export, added, registered_module_path
def lines(keys, module):
    return [f"{key} {sorted((n, v.replace(module, '<module>').replace(module.rpartition(chr(92))[0], '<folder>')) for n, v in values.items())}"
            for key, values in sorted(keys.items()) if key.split("\\")[0] != "Installer"]
now, fresh, installed, capture, name, keeper = sys.argv[1:]
before = read_export(f"{capture}/before.reg")
expected, kept = added(read_export(f"{capture}/{name}.reg"), before), added(read_export(f"{capture}/{keeper}.reg"), before)
expected.update((k, v) for k, v in added(read_export(f"{capture}/reregistered.reg"), before).items()
                if v.get("Planted") == "stale" and k.rpartition("\\")[0] in kept)
diff = difflib.unified_diff(lines(expected, registered_module_path(read_export(f"{capture}/registered.reg"))),
                            lines(added(read_export(now), read_export(fresh)), installed), lineterm="")
sys.stdout.write("".join(line + "\n" for line in diff))
EOF
    head -20 "$work/diff" >&3 && [ ! -s "$work/diff" ]
}

[ -d "$prefix" ] && "$root/tools/wine-run" --stop "$prefix"
rm -rf "$prefix"
for arch in x64 x86; do
    msi=$out/FexoControl-$("$tool" version "$out/$arch/FexoCntl.DLL")-$arch.msi
    folder='C:\Program Files\FexoControl' system='C:\windows\system32'
    [ "$arch" = x86 ] && folder='C:\Program Files (x86)\FexoControl' system='C:\windows\syswow64'
    installed="$folder\\FexoCntl.DLL" unix_folder="$prefix/drive_c/$(tr '\\' / <<<"${folder:3}")"
    # An older release to be replaced: another product and package code, a lower version.
    cp "$msi" "$work/older.msi" && msibuild "$work/older.msi" -s "Installation Database" Harrowmark \
        "$(msiinfo suminfo "$msi" | sed -n 's/^Template: //p')" "{6E1A2F00-3C4B-4D5E-8F60-718293A4B5C6}"
    for update in "'6.0.0' WHERE Property = 'ProductVersion'" "'{6E1A2F01-3C4B-4D5E-8F60-718293A4B5C6}' WHERE Property = 'ProductCode'"; do
        msibuild "$work/older.msi" -q "UPDATE Property SET Value = $update"
    done
    # The script host registers its own type library on its first run: before the fresh state.
    check "the script host cannot create the control before installing" eval '! creates'
    export_classes "$work/fresh.reg"
    # Associations of older setups and stale subkeys, which registration deletes.
    wine "$system\reg.exe" import "$(win "$out/capture/$arch/planting.reg")"
    check "the older release installs over planted keys and deletes them as regsvr32 does" \
        eval 'wine msiexec /i "$(win "$work/older.msi")" /qn && registry_is registered'
    # Upgrading removes the older release first, and with it the stale keys below its own keys.
    check "msiexec /i upgrades it to what regsvr32 registers" eval 'wine msiexec /i "$(win "$msi")" /qn && registry_is registered unregistered'
    check "the script host creates the installed control" creates
    check "msiexec /x uninstalls to what unregistration leaves" eval 'wine msiexec /x "$(win "$msi")" /qn && registry_is unregistered'
    check "the installed file is gone" test ! -e "$unix_folder/FexoCntl.DLL"
    [ "$arch" = x86 ] && break
    # Back to the fresh state for the next architecture, which shares the file associations.
    PYTHONPATH=$root/tools python3 -c 'import sys; from installer_source import read_export, added
print("REGEDIT4\r\n\r\n" + "".join(f"[-HKEY_LOCAL_MACHINE\\Software\\Classes\\{k}]\r\n"
      for k in added(read_export(sys.argv[1]), read_export(sys.argv[2])) if not k.startswith("Installer")))' \
        "$work/now.reg" "$work/fresh.reg" >"$work/clean.reg"
    wine "$system\reg.exe" import "$(win "$work/clean.reg")"
done

arch=all ca=()
[ -z "${FEXO_SIGNING_PFX:-}" ] && ca=(-CAfile "$out/test-signing/cert.pem")
for file in "$out"/{x86,x64}/FexoCntl.DLL "$out"/*.msi "$out/FexoCntl.cab"; do
    check "osslsigncode accepts ${file#$out/}" osslsigncode verify "${ca[@]}" -in "$file"
    python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); i = d.find(b"FexoCtl Class")
d[i] ^= 1; open(sys.argv[2], "wb").write(d)' "$file" "$work/changed"
    check "osslsigncode refuses ${file#$out/} with a changed byte" eval '! osslsigncode verify "${ca[@]}" -in "$work/changed"'
done
gcab -x -C "$work" "$out/FexoCntl.cab" >/dev/null
check "the cabinet holds the DLL and the INF" test "$(gcab -t "$out/FexoCntl.cab" | sort | tr '\n' ' ')" = "FexoCntl.DLL FexoCntl.inf "
check "the INF names the DLL's version record and has IE register it" eval 'grep -qx "FileVersion=$("$tool" version "$work/FexoCntl.DLL" | tr . ,)" "$work/FexoCntl.inf" &&
    grep -qx RegisterServer=yes "$work/FexoCntl.inf"'
exit $((failures > 0))
