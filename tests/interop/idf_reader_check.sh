#!/usr/bin/env bash
# Exports a realistic board as an IDF pair and has an independent IDF reader,
# idf2vrml from Debian's kicad package, turn it into a VRML model.
#
#   idf_reader_check.sh <exporter program> <output directory>
#
# The reader is fetched with apt-get download (the GUI package is never
# installed): only the idf2vrml binary is extracted, together with any shared
# library it cannot find on this machine, into a cache outside the build tree
# (${KELPIE_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/kelpie}/idf2vrml) that
# survives clean builds.
#
# Exit status: 0 when the reader accepted both files, 1 when the export or the
# reader failed, 77 (reported by ctest as skipped) when the reader could not
# be obtained.
set -uo pipefail

exporter=${1:?exporter program}
out=${2:?output directory}
skip_code=77

cache_root=${KELPIE_CACHE_DIR:-${XDG_CACHE_HOME:-${HOME:-/tmp}/.cache}/kelpie}
cache=$cache_root/idf2vrml
reader=$cache/bin/idf2vrml

skip() { echo "SKIPPED: $*"; exit $skip_code; }
fail() { echo "FAILED: $*"; exit 1; }

# ---- 1. Export ---------------------------------------------------------------
rm -rf "$out"
mkdir -p "$out"
if ! "$exporter" "$out" > "$out/export.log" 2>&1; then
  cat "$out/export.log"
  fail "the exporter reported an error"
fi
shopt -s nullglob
boards=("$out"/*.emn)
libraries=("$out"/*.emp)
shopt -u nullglob
[ ${#boards[@]} -eq 1 ] && [ ${#libraries[@]} -eq 1 ] || fail "expected one .emn and one .emp in $out"
board=$(basename "${boards[0]}")
job=${board%.emn}
[ -f "$out/$job.emp" ] || fail "library file $job.emp is missing"

# ---- 2. Fetch the reader (once, cached) ---------------------------------------
for tool in apt-get dpkg-deb ldd flock; do
  command -v "$tool" > /dev/null || skip "$tool is not available to fetch idf2vrml"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# apt-get download, refreshing the package lists once when the archive does
# not know the package (a fresh machine has no lists yet).
download() {
  (cd "$work" && apt-get download "$@") > "$work/apt.log" 2>&1 && return 0
  if [ "$(id -u)" -eq 0 ] && [ ! -e "$work/updated" ]; then
    touch "$work/updated"
    apt-get update -qq >> "$work/apt.log" 2>&1
    (cd "$work" && apt-get download "$@") >> "$work/apt.log" 2>&1 && return 0
  fi
  tail -n 5 "$work/apt.log"
  return 1
}

# The Debian package behind each library the reader may miss.
package_of() {
  case $1 in
    libwx_baseu-3.2.so.*) echo libwxbase3.2-1 ;;
    libpcre2-32.so.*) echo libpcre2-32-0 ;;
    *) return 1 ;;
  esac
}

missing_libraries() {
  LD_LIBRARY_PATH="$cache/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" ldd "$reader" 2>/dev/null |
    awk '/not found/ { print $1 }'
}

fetch_reader() {
  mkdir -p "$cache/bin" "$cache/lib"
  if [ ! -x "$reader" ]; then
    echo "Fetching idf2vrml from the kicad package into $cache"
    download kicad || skip "the kicad package could not be downloaded"
    local deb
    deb=$(ls "$work"/kicad_*.deb 2>/dev/null | head -n 1)
    [ -n "$deb" ] || skip "apt-get download kicad gave no package file"
    dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work" ./usr/bin/idf2vrml ||
      skip "idf2vrml is not in $(basename "$deb")"
    dpkg-deb -f "$deb" Version > "$cache/kicad-version"
    install -m 755 "$work/usr/bin/idf2vrml" "$reader.new" && mv "$reader.new" "$reader"
    rm -f "$deb"
  fi
  local round library package
  for round in 1 2 3; do
    local missing
    missing=$(missing_libraries)
    [ -z "$missing" ] && return 0
    for library in $missing; do
      package=$(package_of "$library") || skip "idf2vrml needs $library, which no known package provides"
      echo "Fetching $library from $package"
      download "$package" || skip "the $package package could not be downloaded"
      rm -rf "$work/x"
      dpkg-deb -x "$work"/"$package"_*.deb "$work/x" || skip "could not unpack $package"
      find "$work/x" -name 'lib*.so*' \( -type f -o -type l \) -exec cp -P {} "$cache/lib/" \;
      rm -f "$work"/"$package"_*.deb
    done
  done
  [ -z "$(missing_libraries)" ] || skip "idf2vrml still misses: $(missing_libraries | tr '\n' ' ')"
}

mkdir -p "$cache_root"
exec 9> "$cache_root/idf2vrml.lock"
flock -w 600 9 || skip "the idf2vrml cache stayed locked"
fetch_reader
flock -u 9
echo "Reader: idf2vrml from kicad $(cat "$cache/kicad-version" 2>/dev/null)"

# ---- 3. Read --------------------------------------------------------------------
# -d: no default outline stands in for a missing library entry; -k: one model
# per placed component; -m: list which part each model stands for.
rm -f "$out/$job.wrl"
(cd "$out" && LD_LIBRARY_PATH="$cache/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
  timeout 300 "$reader" -f "$board" -s 0.3937008 -k -d -m) > "$out/reader.log" 2>&1
status=$?
echo "idf2vrml exit status: $status"
sed 's/^/  | /' "$out/reader.log"
[ $status -eq 0 ] || fail "idf2vrml rejected $board / $job.emp"
[ -s "$out/$job.wrl" ] || fail "idf2vrml wrote no model"

# Every line the reader printed must be one we understand. The only
# complaint allowed is the one about outlines of zero height: a package given
# as a box only has height 0 in the library file, by design.
# Names are quoted and may hold blanks: "name" "part" ...; the reader calls
# a model name_part.
quoted='function quoted(line, n,   k) { for (k = 1; match(line, /"[^"]*"/); k++) { if (k == n) return substr(line, RSTART + 1, RLENGTH - 2); line = substr(line, RSTART + RLENGTH) } return "" }'
zero_height=$(tr -d '\r' < "$out/$job.emp" |
  awk "$quoted"' /^\.ELECTRICAL$/ { getline; if ($NF == "0") print quoted($0, 1) "_" quoted($0, 2) }' |
  sort -u)
placed=$(tr -d '\r' < "$out/$job.emn" |
  awk "$quoted"' /^\.PLACEMENT$/ { inside = 1; next } /^\.END_PLACEMENT$/ { inside = 0 }
       inside && /^"/ { print quoted($0, 1) "_" quoted($0, 2) }' | sort -u)
report=$(sed -E 's/^[0-9]{2}:[0-9]{2}:[0-9]{2}: //' "$out/reader.log" |
  awk -v zero="$zero_height" '
    BEGIN { n = split(zero, list, "\n"); for (i = 1; i <= n; i++) if (list[i] != "") flat[list[i]] = 1 }
    /^Reading file: / || /^Writing file: / { next }
    /^\* OBJECTn[0-9]+ = / { name = $0; sub(/^[^\x27]*\x27/, "", name); sub(/\x27$/, "", name); object[$2] = name; print "mapped " name; next }
    /^Errors writing 3D vertices to OBJECTn[0-9]+$/ {
      o = $NF
      if ((o in object) && (object[o] in flat)) { getline; if ($0 == "Write3DVertices(): top <= bottom") { print "zero-height " object[o]; next } }
      print "unexpected " $0; next
    }
    { print "unexpected " $0 }')
unexpected=$(printf '%s\n' "$report" | sed -n 's/^unexpected //p')
[ -z "$unexpected" ] || fail "idf2vrml reported: $unexpected"
mapped=$(printf '%s\n' "$report" | sed -n 's/^mapped //p' | sort -u)
unmapped=$(comm -23 <(printf '%s\n' "$placed") <(printf '%s\n' "$mapped"))
[ -z "$unmapped" ] || fail "idf2vrml made no model for: $unmapped"

echo "idf2vrml accepted $board and $job.emp: $(printf '%s\n' "$placed" | wc -l) parts," \
  "$(tr -d '\r' < "$out/$board" | awk '/^\.PLACEMENT$/,/^\.END_PLACEMENT$/' | grep -c 'PLACED$') placements"
notes=$(printf '%s\n' "$report" | sed -n 's/^zero-height //p' | sort | uniq -c | awk '{ print $2 " (" $1 "x)" }' | tr '\n' ' ')
[ -z "$notes" ] || echo "Note: zero-height outlines (packages given as a box only): $notes"
exit 0
