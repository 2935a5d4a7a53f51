#!/usr/bin/env bash
# Exports one design on both systems and compares the outputs: on Linux with
# kelpie-export and libkelpie.so, on Windows (under wine) with
# kelpie_sample_export.exe and kelpie.dll. With SOURCE_DATE_EPOCH fixing the
# moment of writing, every file must agree byte for byte, line endings and
# dates included.
#
#   sample_export.sh KELPIE_EXPORT WINDOWS_BUILD_DIR WINE_PREFIX DESIGN WORK_DIR
set -uo pipefail
exporter=${1:?kelpie-export}
windows=${2:?Windows build directory}
prefix=${3:?wine prefix}
design=${4:?design file}
work=${5:?work directory}
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAILED: $*"; exit 1; }

export SOURCE_DATE_EPOCH=1796407509
rm -rf "$work"
mkdir -p "$work"
cp "$design" "$work/design.json"
cd "$work" || exit 1

"$exporter" -q --idf --odb -o linux design.json || fail "kelpie-export"
"$here/run_wine.sh" "$prefix" "$windows/kelpie_sample_export.exe" design.json windows
status=$?
[ $status -eq 77 ] && exit 77
[ $status -eq 0 ] || fail "kelpie_sample_export.exe under wine (exit status $status)"

files=$(find linux -type f | wc -l)
[ "$files" -gt 2 ] || fail "only $files files written on Linux"
diff -r linux windows || fail "the Windows export differs from the Linux one"
echo "$files files agree byte for byte"
