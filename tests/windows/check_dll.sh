#!/usr/bin/env bash
# Checks what a Windows host links or loads: kelpie.dll exports exactly
# createkelpieserver and deletekelpieserver, imports only system DLLs
# (KERNEL32.dll and the C runtime msvcrt.dll: the compiler's runtime is
# inside), and comes with its import library and kelpie.def.
#
#   check_dll.sh WINDOWS_BUILD_DIR
set -uo pipefail
build=${1:?Windows build directory}
fail() { echo "FAILED: $*"; exit 1; }
dll=$build/kelpie.dll
[ -f "$dll" ] || { echo "SKIPPED: $dll was not built"; exit 77; }
objdump=$(command -v x86_64-w64-mingw32-objdump) || { echo "SKIPPED: no mingw-w64 objdump"; exit 77; }

headers=$("$objdump" -p "$dll") || fail "objdump cannot read $dll"
grep -q '^Magic.*PE32+' <<<"$headers" || fail "$dll is not a 64-bit PE image"
exports=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" | sed -n 's/^\s*\[ *[0-9]*\] //p' | sort | paste -sd ' ')
[ "$exports" = "createkelpieserver deletekelpieserver" ] || fail "exports are '$exports'"
imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | sort | paste -sd ' ')
[ "$imports" = "KERNEL32.dll msvcrt.dll" ] || fail "imports are '$imports'"
[ -f "$build/libkelpie.dll.a" ] || fail "no import library libkelpie.dll.a"
definitions=$(sed -n 's/^ *\([a-z]*kelpieserver\).*/\1/p' "$build/kelpie.def" | sort | paste -sd ' ')
[ "$definitions" = "createkelpieserver deletekelpieserver" ] || fail "kelpie.def lists '$definitions'"
echo "kelpie.dll exports: $exports; imports: $imports"
