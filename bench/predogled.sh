#!/usr/bin/env bash
# Benchmark: the preview of the transfer journal of one transfer of N postings (default
# 100,000) on the offscreen platform, as "&Izpis" opens it over the shared result:
# time to the first page, time until every page is laid out, the longest event-loop
# stall meanwhile, the time to print the whole preview to a PDF file (and the longest
# stall then) and the peak
# memory; against `ledgxfer-batch journal` of the same transfer to a PDF in the same
# sitting. The book is the one bench/dnevnik.sh makes (every posting in transfer 1),
# made on first use and kept. Both run K times (default 2), alternately; the best
# time of each counts, peak memory is the highest.
# Targets: first page <= 1 s, stall <= 100 ms, printing <= 1.2x the batch PDF,
# memory <= 200 MB.
# Usage: bench/predogled.sh [N [K]]   (LEDGXFER_BUILD: the build folder, default build)
set -euo pipefail
cd "$(dirname "$0")/.."
n=${1:-100000}
k=${2:-2}
build=${LEDGXFER_BUILD:-build}
batch=$build/ledgxfer-batch
prog=$build/bench/bench_predogled
[ -x "$batch" ] && [ -x "$prog" ] || { echo "build first: cmake --build $build --target ledgxfer-batch bench_predogled" >&2; exit 2; }
command -v sqlite3 >/dev/null || { echo "sqlite3 missing (scripts/setup.sh)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time missing (scripts/setup.sh)" >&2; exit 2; }

dir=${LEDGXFER_BENCH_DIR:-build}/bench-dnevnik-$n
mkdir -p "$dir"
printf '[LB]\ndriver=sqlite\ndatabase=ledger.sqlite\n' > "$dir/aliases.ini"
if [ ! -f "$dir/ledger.sqlite" ]; then
  echo "making a book of $n postings, all of them in transfer 1 ..."
  rm -f "$dir/izvor".*
  "$batch" demo --database "$dir/izvor.sqlite" --aliases "$dir/izvor.ini" --postings "$n" >/dev/null
  sqlite3 "$dir/izvor.sqlite" "UPDATE KNJIZBE SET PRENOS = 1;
    UPDATE LEDGXFER SET DATUM1 = (SELECT MIN(DATUMK) FROM KNJIZBE), DATUM2 = (SELECT MAX(DATUMK) FROM KNJIZBE)
    WHERE STPRENOSA = 1;"
  mv "$dir/izvor.sqlite" "$dir/ledger.sqlite"
  rm -f "$dir/izvor".*
fi
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

najbolje() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc -l)" = 1 ]; then echo "$2"; else echo "$1"; fi; }
batch_best=""; batch_peak=0
prva=""; vse=""; zastoj=""; tisk=""; zastojt=""; peak=0
for i in $(seq "$k"); do
  rm -f "$dir/dnevnik.pdf" "$dir/predogled.pdf"
  s0=$(date +%s.%N)
  LEDGXFER_ALIASES="$dir/aliases.ini" /usr/bin/time -v -o "$dir/time.txt" \
    "$batch" journal --alias LB --transfer 1 --pdf "$dir/dnevnik.pdf" >/dev/null
  s1=$(date +%s.%N)
  t=$(echo "$s1 - $s0" | bc -l)
  batch_best=$(najbolje "$batch_best" "$t")
  kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$dir/time.txt")
  [ "$kb" -gt "$batch_peak" ] && batch_peak=$kb

  /usr/bin/time -v -o "$dir/time.txt" "$prog" "$dir/aliases.ini" LB 1 "$dir/predogled.pdf" > "$dir/predogled.txt"
  kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$dir/time.txt")
  [ "$kb" -gt "$peak" ] && peak=$kb
  p=$(sed -n 's/^first page \([0-9.]*\) s.*/\1/p' "$dir/predogled.txt")
  v=$(sed -n 's/.*every page laid out \([0-9.]*\) s.*/\1/p' "$dir/predogled.txt")
  z=$(sed -n 's/.*longest event-loop stall \([0-9.]*\) ms.*/\1/p' "$dir/predogled.txt")
  r=$(sed -n 's/^preview printed to PDF \([0-9.]*\) s.*/\1/p' "$dir/predogled.txt")
  zt=$(sed -n 's/.*stall while printing \([0-9.]*\) ms.*/\1/p' "$dir/predogled.txt")
  zastojt=$(najbolje "$zastojt" "$zt")
  prva=$(najbolje "$prva" "$p"); vse=$(najbolje "$vse" "$v"); zastoj=$(najbolje "$zastoj" "$z"); tisk=$(najbolje "$tisk" "$r")
  printf 'round %s: batch journal %.2f s; preview: first page %s s, laid out %s s, stall %s ms, printed %s s, %.1f MB\n' \
    "$i" "$t" "$p" "$v" "$z" "$r" "$(echo "$kb / 1024" | bc -l)"
done
head -1 "$dir/predogled.txt"
printf 'ledgxfer-batch journal to PDF: %.2f s, %.1f MB\n' "$batch_best" "$(echo "$batch_peak / 1024" | bc -l)"
printf 'preview: first page %s s (target 1 s), every page laid out %s s, longest stall %s ms (target 100 ms)\n' \
  "$prva" "$vse" "$zastoj"
printf 'preview printed to PDF: %s s = %.2fx the batch PDF (target 1.2x), longest stall while printing %s ms\n' \
  "$tisk" "$(echo "$tisk / $batch_best" | bc -l)" "$zastojt"
printf 'peak memory of the preview: %.1f MB (target 200 MB)\n' "$(echo "$peak / 1024" | bc -l)"
