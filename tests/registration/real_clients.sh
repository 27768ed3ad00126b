#!/bin/bash
# regsvr32 and the script host, the clients that register and create the
# control outside any test harness.  Run in the directory of FexoCntl.DLL:
#
#   real_clients.sh WINE-LAUNCHER [LAUNCHER-ARGS...]
#
# The launcher (tools/wine-run PREFIX) keeps everything in the tests' prefix.
set -u

here=$(cd "$(dirname "$0")" && pwd)
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

expect 0 "regsvr32 /s registers" "$@" regsvr32 /s FexoCntl.DLL
expect 0 "script creates the control" "$@" cscript //nologo "$script"
expect 0 "regsvr32 /u /s unregisters" "$@" regsvr32 /u /s FexoCntl.DLL
expect 2 "script cannot create it once unregistered" "$@" cscript //nologo "$script"
exit $((failures > 0))
