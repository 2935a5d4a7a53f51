#!/usr/bin/env bash
# Builds the Debian packages of the build directory with CPack and checks
# each with dpkg-deb against packages.txt: control fields (dependencies on
# other projects' packages by name only, since their minimum versions follow
# the build machine), control members and contents with link targets. Also
# checks that the shared library is stripped and named by its SONAME.
#
#   packages.sh BUILD_DIR WORK_DIR LIBDIR EXPECTED
# LIBDIR is the library directory under the prefix; the list calls it lib.
# With KELPIE_UPDATE_GOLDEN=1 the listing is written to EXPECTED first (a
# tool that links a new library changes the tools' dependencies).
set -euo pipefail
export LC_ALL=C
build=${1:?build directory}
work=${2:?work directory}
libdir=${3:?library directory}
expected=${4:?expected listing}

fail() { echo "FAILED: $*"; exit 1; }
command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null || {
  echo "SKIPPED: dpkg-dev is not installed"
  exit 77
}

rm -rf "$work"
(cd "$build" && cpack -G DEB -B "$work" >"$work.log" 2>&1) || { cat "$work.log"; fail "cpack"; }

version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
for deb in "$work"/*.deb; do
  echo "== $(basename "$deb" | sed "s/_${version}_/_<version>_/")"
  for field in Package Version Architecture Section Depends; do
    echo "$field: $(dpkg-deb -f "$deb" "$field")"
  done | sed -e 's/ (>= [^)]*)//g' -e "s/(= $version)/(= <version>)/g" -e "s/^Version: $version$/Version: <version>/"
  echo "control: $(dpkg-deb --ctrl-tarfile "$deb" | tar t | sed 's|^\./||' | grep . | sort | paste -sd ' ')"
  dpkg-deb -c "$deb" | awk '{ $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' |
    sed -e "s|^\./usr/$libdir/|./usr/lib/|" -e "s/\.so\.1\.[0-9.]*[0-9]/.so.1.x.y/g" \
        -e 's/-targets-[a-z]*\.cmake$/-targets-<config>.cmake/' |
    grep -v '/$' | sort
done >"$work/listing.txt"
if [ "${KELPIE_UPDATE_GOLDEN:-}" = 1 ]; then
  cp "$work/listing.txt" "$expected"
  echo "wrote $expected"
fi
diff -u "$expected" "$work/listing.txt" ||
  fail "the packages differ from $(basename "$expected") (KELPIE_UPDATE_GOLDEN=1 ctest -R embed.packages accepts them)"

# The library inside the runtime package: stripped, with its SONAME.
mkdir -p "$work/runtime"
dpkg-deb -x "$work"/libkelpie1_*.deb "$work/runtime"
library=$(echo "$work"/runtime/usr/"$libdir"/libkelpie.so.1.*)
readelf -d "$library" | grep -q 'SONAME.*\[libkelpie\.so\.1\]' || fail "no SONAME libkelpie.so.1"
readelf -S "$library" | grep -q '\.debug_info' && fail "the packaged library carries debug information"
dpkg-deb -e "$work"/libkelpie1_*.deb "$work/runtime-control"
grep -qx "libkelpie 1 libkelpie1 (= $version)" "$work/runtime-control/shlibs" || fail "shlibs entry"
ls -l "$work"/*.deb | awk '{ print $5, $9 }'
echo "packages: passed"
