#!/bin/bash
# The packages that tools/package made, through the clients that use them, in a fresh prefix:
# msiexec installs what regsvr32 registers (and deletes what it deletes) and removes what it
# unregisters; installing twice and upgrading leave one product; the script host creates
# the installed control; osslsigncode accepts every signed file and refuses a changed one;
# the cabinet holds the DLL and an INF that names its version record.
#
#   installer_clients.sh x86|x64 PREFIX WINE-LAUNCHER [LAUNCHER-ARGS...]
#
# The launcher runs Windows programs in PREFIX (tools/wine-run PREFIX), which is made
# afresh; x86 takes the 32-bit programs of a 64-bit prefix.
set -u

arch=$1 prefix=$2; shift 2
launcher=("$@")
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/build/package tool=$root/tools/installer_source.py
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
failures=0
check() {  # check WHAT COMMAND...: the command's status is the verdict
    local what=$1; shift
    if "$@" >/dev/null 2>&1; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
run() { "$@" </dev/null >/dev/null 2>&1; }
win() { local path=$1; echo "Z:${path//\//\\}"; }
wine() { run "${launcher[@]}" "$@"; }
# The registry below Classes, as the build's own programs see it, that differs from the
# fresh prefix, with the module's path as <module> (msiexec's own records left out).
snapshot() {
    rm -f "$work/$1.reg"
    wine "$system\reg.exe" export 'HKLM\Software\Classes' "$(win "$work/$1.reg")" /y
    PYTHONPATH=$root/tools python3 - "$work/$1.reg" "$work/fresh.reg" "$installed" >"$work/$1" <<'EOF'
import sys
from installer_source import read_export, added
for key, values in sorted(added(read_export(sys.argv[1]), read_export(sys.argv[2])).items()):
    if key.split("\\")[0] != "Installer":
        print(key, sorted((n, v.replace(sys.argv[3], "<module>")) for n, v in values.items()), sep="\t")
EOF
}
# Differences go to the log (descriptor 3), since check silences the command.
exec 3>&1
same() { diff "$work/$1" "$work/$2" | head -20 >&3; cmp -s "$work/$1" "$work/$2"; }
products() { "${launcher[@]}" "$system\reg.exe" query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s </dev/null >"$work/uninstall" 2>&1;
             grep "FexoControl ($arch)" "$work/uninstall" >&3;
             [ "$(grep -c "FexoControl ($arch)" "$work/uninstall")" = "$1" ]; }

version=$("$tool" version "$out/$arch/FexoCntl.DLL")
msi=$out/FexoControl-$version-$arch.msi
folder='C:\Program Files\FexoControl' system='C:\windows\system32'
[ "$arch" = x86 ] && folder='C:\Program Files (x86)\FexoControl' system='C:\windows\syswow64'
installed="$folder\\FexoCntl.DLL" unix_folder="$prefix/drive_c/$(tr '\\' / <<<"${folder:3}")"

[ -d "$prefix" ] && "$root/tools/wine-run" --stop "$prefix"
rm -rf "$prefix"
script=$(win "$root/tests/package/create_control.js")
# The script host registers its own type library on its first run.
wine "$system\cscript.exe" //nologo "$script"
wine "$system\reg.exe" export 'HKLM\Software\Classes' "$(win "$work/fresh.reg")" /y
# Associations of older setups and a stale subkey of the class key: registration deletes
# them, and so must installing.
class=$("$tool" classid "$out/capture/$arch"/{registered,before}.reg)
plant() {
    { printf 'REGEDIT4\r\n\r\n'
      printf '[HKEY_LOCAL_MACHINE\\Software\\Classes\\%s]\r\n"Planted"="stale"\r\n\r\n' \
          fexo_auto_file fxo_auto_file "CLSID\\$class\\FexoStale"; } >"$work/plant.reg"
    wine "$system\reg.exe" import "$(win "$work/plant.reg")"
}
plant
# What the module registers itself from the installed place, and what unregistration
# leaves; then back to the fresh state.
mkdir -p "$unix_folder" && cp "$out/$arch/FexoCntl.DLL" "$unix_folder/"
wine "$system\regsvr32.exe" /s "$installed" && snapshot registered
wine "$system\regsvr32.exe" /u /s "$installed" && snapshot unregistered
while IFS=$'\t' read -r key _; do wine reg delete "HKLM\\Software\\Classes\\$key" /f; done <"$work/unregistered"
rm -r "$unix_folder"
snapshot clean

# An older release, to be replaced: another product code and package code, lower version.
cp "$msi" "$work/older.msi"
msibuild "$work/older.msi" -s "Installation Database" Harrowmark "$(msiinfo suminfo "$msi" | sed -n 's/^Template: //p')" \
    "{6E1A2F00-3C4B-4D5E-8F60-718293A4B5C6}"
for update in "'6.0.0' WHERE Property = 'ProductVersion'" \
              "'{6E1A2F01-3C4B-4D5E-8F60-718293A4B5C6}' WHERE Property = 'ProductCode'"; do
    msibuild "$work/older.msi" -q "UPDATE Property SET Value = $update"
done

check "the prefix is clean before installing" test ! -s "$work/clean"
check "the older release installs" wine msiexec /i "$(win "$work/older.msi")" /qn
check "msiexec /i installs over it" wine msiexec /i "$(win "$msi")" /qn
snapshot upgraded
check "msiexec /i again succeeds" wine msiexec /i "$(win "$msi")" /qn
snapshot installed
check "the installed registry is what regsvr32 registers" same installed registered
check "the upgrade left the same registry" same upgraded registered
check "one product is installed" products 1
check "the script host creates the installed control" wine "$system\cscript.exe" //nologo "$script"
check "msiexec /x uninstalls" wine msiexec /x "$(win "$msi")" /qn
snapshot uninstalled
check "uninstalling leaves what unregistration leaves" same uninstalled unregistered
check "no product is left" products 0
check "the script host cannot create it once uninstalled" eval '! wine "$system\cscript.exe" //nologo "$script"'
check "the installed file is gone" test ! -e "$unix_folder/FexoCntl.DLL"
plant
check "msiexec /i over planted keys deletes them as regsvr32 does" \
    eval 'wine msiexec /i "$(win "$msi")" /qn && snapshot reinstalled && same reinstalled registered'

ca=()
[ -z "${FEXO_SIGNING_PFX:-}" ] && ca=(-CAfile "$out/test-signing/cert.pem")
for file in "$out/$arch/FexoCntl.DLL" "$msi" "$out/FexoCntl.cab"; do
    check "osslsigncode accepts ${file##*/}" osslsigncode verify "${ca[@]}" -in "$file"
    python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); i = d.find(b"FexoCtl Class")
d[i] ^= 1; open(sys.argv[2], "wb").write(d)' "$file" "$work/changed"
    check "osslsigncode refuses ${file##*/} with a changed byte" eval '! osslsigncode verify "${ca[@]}" -in "$work/changed"'
done

gcab -x -C "$work" "$out/FexoCntl.cab" >/dev/null
check "the cabinet holds the DLL and the INF" test "$(gcab -t "$out/FexoCntl.cab" | sort | tr '\n' ' ')" = "FexoCntl.DLL FexoCntl.inf "
check "the INF names the DLL's version record" grep -qx "FileVersion=$("$tool" version "$work/FexoCntl.DLL" | tr . ,)" "$work/FexoCntl.inf"
check "the INF has IE register the DLL" grep -qx "RegisterServer=yes" "$work/FexoCntl.inf"
exit $((failures > 0))
