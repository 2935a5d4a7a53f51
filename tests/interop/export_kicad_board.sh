#!/usr/bin/env bash
# The exporter that idf_reader_check.sh runs for a KiCad board: kelpie-export
# writes the board's IDF pair into the directory given.
#   KELPIE_EXPORT=<kelpie-export> KELPIE_BOARD=<board> export_kicad_board.sh <output directory>
set -euo pipefail
exec "${KELPIE_EXPORT:?kelpie-export}" "${KELPIE_BOARD:?board file}" --idf -q -o "${1:?output directory}"
