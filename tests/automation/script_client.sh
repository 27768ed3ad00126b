#!/bin/bash
# Runs script_client.js through the script host against the registered
# control.  Run in the directory of FexoCntl.DLL:
#
#   script_client.sh SYSTEM-FOLDER WINE-LAUNCHER [LAUNCHER-ARGS...]
#
# SYSTEM-FOLDER holds the clients of the DLL's bitness (system32, syswow64).
set -u

here=$(cd "$(dirname "$0")" && pwd)
clients="C:\\windows\\$1"; shift
script="Z:$(tr / '\\' <<<"$here/script_client.js")"

"$@" "$clients\\regsvr32.exe" /s FexoCntl.DLL </dev/null >/dev/null 2>&1 || { echo "FAILED: regsvr32"; exit 1; }
"$@" "$clients\\cscript.exe" //nologo "$script" </dev/null >/dev/null 2>&1
status=$?
"$@" "$clients\\regsvr32.exe" /u /s FexoCntl.DLL </dev/null >/dev/null 2>&1
if [ "$status" -ne 0 ]; then
    echo "FAILED: script check $status (its code in script_client.js counts from 10)"
    exit 1
fi
echo "ok: script wrote and read properties, called methods and read the last error"
