#!/usr/bin/env bash
# Installs the build into a private prefix and builds hosts against it from
# outside the tree, the way a layout program's developers would:
#   - examples/minimal_host.cpp with find_package(kelpie) (kelpie::kelpie),
#     and tests/embed/runtime_host.cpp with kelpie::headers alone;
#   - examples/minimal_host.cpp again with pkg-config.
# Both minimal hosts must write the files of installed-job.txt and agree
# byte for byte (SOURCE_DATE_EPOCH fixes the dates); the installed tree must
# match installed-files.txt, with the SONAME links; an installed
# kelpie-export must find the library without LD_LIBRARY_PATH, and an
# installed kelpie-check must pass the job.
#
#   out_of_tree.sh BUILD_DIR SOURCE_DIR WORK_DIR LIBDIR
# LIBDIR is the library directory under the prefix (lib, or lib/<multiarch>
# when the build was configured for /usr); the lists call it lib.
set -euo pipefail
export LC_ALL=C
build=${1:?build directory}
source=${2:?source directory}
work=${3:?work directory}
libdir=${4:?library directory}
here=$source/tests/embed

fail() { echo "FAILED: $*"; exit 1; }

rm -rf "$work"
mkdir -p "$work"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null

# ---- The installed tree ----------------------------------------------------
# The version and the build type vary; the lists show them as x.y and <config>.
(cd "$prefix" && find . -path ./bin -prune -o \( -type f -o -type l \) -printf '%P\n') |
  sed -e "s|^$libdir/|lib/|" -e 's/\.so\.1\.[0-9]*\.[0-9]*$/.so.1.x.y/' -e 's/-targets-[a-z]*\.cmake$/-targets-<config>.cmake/' |
  sort > "$work/installed.txt"
diff -u "$here/installed-files.txt" "$work/installed.txt" || fail "installed files differ from installed-files.txt"
[ "$(readlink "$prefix/$libdir/libkelpie.so")" = libkelpie.so.1 ] || fail "libkelpie.so does not point to libkelpie.so.1"
[ "$(readlink "$prefix/$libdir/libkelpie.so.1")" = "$(basename "$prefix/$libdir"/libkelpie.so.1.*)" ] ||
  fail "libkelpie.so.1 does not point to the library file"
readelf -d "$prefix/$libdir/libkelpie.so.1".* | grep -q 'SONAME.*\[libkelpie\.so\.1\]' || fail "SONAME is not libkelpie.so.1"

# ---- find_package ------------------------------------------------------------
cmake -S "$here/consumer" -B "$work/find-package" -DCMAKE_PREFIX_PATH="$prefix" \
  -DKELPIE_SOURCE_DIR="$source" >/dev/null
cmake --build "$work/find-package" >/dev/null
"$work/find-package/runtime_host" "$prefix/$libdir/libkelpie.so.1" || fail "runtime_host (kelpie::headers)"

# ---- pkg-config --------------------------------------------------------------
export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
mkdir -p "$work/pkg-config"
# shellcheck disable=SC2046
c++ -std=c++17 -o "$work/pkg-config/minimal_host" "$source/examples/minimal_host.cpp" \
  $(pkg-config --cflags --libs kelpie) -Wl,-rpath,"$(pkg-config --variable=libdir kelpie)"

# ---- Both hosts write the same job -------------------------------------------
export SOURCE_DATE_EPOCH=1796407509
for host in find-package pkg-config; do
  mkdir -p "$work/run-$host"
  (cd "$work/run-$host" && "$work/$host/minimal_host" >messages.txt) || fail "minimal_host built with $host"
  grep -qx "Write job 'minimal' complete" "$work/run-$host/messages.txt" || fail "$host: no completion message"
  (cd "$work/run-$host" && find minimal -type f | sort) > "$work/job-$host.txt"
  diff -u "$here/installed-job.txt" "$work/job-$host.txt" || fail "$host: the job differs from installed-job.txt"
done
diff -r "$work/run-find-package/minimal" "$work/run-pkg-config/minimal" || fail "the two hosts' jobs differ"

# ---- Installed tools ---------------------------------------------------------
if [ -x "$prefix/bin/kelpie-export" ]; then
  readelf -d "$prefix/bin/kelpie-export" | grep -q 'RUNPATH.*\[\$ORIGIN/' || fail "kelpie-export run path"
  (cd "$work" && env -u LD_LIBRARY_PATH -u KELPIE_LIBRARY "$prefix/bin/kelpie-export" -q --idf -o tool-out) ||
    fail "the installed kelpie-export cannot export"
  [ -s "$work/tool-out/kelpie-sample.emn" ] || fail "kelpie-export wrote no board file"
fi
if [ -x "$prefix/bin/kelpie-check" ]; then
  "$prefix/bin/kelpie-check" -q "$work/run-find-package/minimal" || fail "the installed kelpie-check"
fi
echo "out-of-tree builds from $prefix: passed"
