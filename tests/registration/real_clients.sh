#!/bin/bash
# regsvr32 and the script host, the clients that register and create the
# control outside any test harness.  Run in the directory of FexoCntl.DLL:
#
#   real_clients.sh SYSTEM-FOLDER WINE-LAUNCHER [LAUNCHER-ARGS...]
#
# SYSTEM-FOLDER holds the clients of the DLL's bitness: system32 for 64-bit,
# syswow64 for 32-bit.  The launcher (tools/wine-run PREFIX) keeps everything
# in the tests' prefix.
set -u

here=$(cd "$(dirname "$0")" && pwd)
clients="C:\\windows\\$1"; shift
script="Z:$(tr / '\\' <<<"$here/create_control.js")"
failures=0

expect() {
    local expected=$1 what=$2; shift 2
    "$@" </dev/null >/dev/null 2>&1
    local status=$?
    if [ "$status" -ne "$expected" ]; then
        echo "FAILED: $what: exit status $status, expected $expected"
        failures=$((failures + 1))
    else
        echo "ok: $what"
    fi
}

expect 0 "regsvr32 /s registers" "$@" "$clients\\regsvr32.exe" /s FexoCntl.DLL
expect 0 "script creates the control" "$@" "$clients\\cscript.exe" //nologo "$script"
expect 0 "regsvr32 /u /s unregisters" "$@" "$clients\\regsvr32.exe" /u /s FexoCntl.DLL
expect 2 "script cannot create it once unregistered" "$@" "$clients\\cscript.exe" //nologo "$script"
exit $((failures > 0))
