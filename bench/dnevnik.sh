#!/usr/bin/env bash
# Benchmark: the transfer journal of one transfer of N postings (default 100,000) to a
# PDF through `ledgxfer-batch journal`. The book is the demo book of N postings with
# every posting marked as carried by transfer 1 and the register's range of transfer 1
# widened to all of them; it is made on first use and kept. The journal runs K times (default 2); the best time counts, the
# peak memory is the highest of the runs (/usr/bin/time -v). There is no floor: the
# reference is the target of 4 s and 64 MB.
# Usage: bench/dnevnik.sh [N [K]]   (LEDGXFER_BUILD: the build folder, default build)
set -euo pipefail
cd "$(dirname "$0")/.."
n=${1:-100000}
k=${2:-2}
batch=${LEDGXFER_BUILD:-build}/ledgxfer-batch
[ -x "$batch" ] || { echo "build first: scripts/build.sh" >&2; exit 2; }
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
rows=$(sqlite3 "$dir/ledger.sqlite" "SELECT COUNT(*) FROM KNJIZBE WHERE PRENOS = 1")

best=""; peak=0
for i in $(seq "$k"); do
  rm -f "$dir/dnevnik.pdf"
  s0=$(date +%s.%N)
  LEDGXFER_ALIASES="$dir/aliases.ini" /usr/bin/time -v -o "$dir/time.txt" \
    "$batch" journal --alias LB --transfer 1 --pdf "$dir/dnevnik.pdf" >/dev/null
  s1=$(date +%s.%N)
  t=$(echo "$s1 - $s0" | bc -l)
  if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best=$t; fi
  kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$dir/time.txt")
  [ "$kb" -gt "$peak" ] && peak=$kb
  printf 'round %s: journal %.2f s, %.1f MB\n' "$i" "$t" "$(echo "$kb / 1024" | bc -l)"
done
printf 'postings of transfer 1: %s, PDF: %s kB\n' "$rows" "$(( $(stat -c %s "$dir/dnevnik.pdf") / 1024 ))"
printf 'ledgxfer-batch journal: %.2f s (target 4 s)\npeak memory: %.1f MB (target 64 MB)\n' \
  "$best" "$(echo "$peak / 1024" | bc -l)"
