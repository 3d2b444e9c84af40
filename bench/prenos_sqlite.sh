#!/usr/bin/env bash
# Benchmark: a new transfer of N postings (default 1,000,000) on SQLite through
# ledgxfer-batch, against its floor: the sqlite3 shell doing the same database work in
# one transaction (bench/dno_prenos_sqlite.sql: the postings query written to a file,
# the adjustment rows inserted by one INSERT ... SELECT, the postings marked, the rows
# numbered, the register row inserted). Both run on fresh copies of the same book,
# alternately, K times (default 2); the best of each counts. Peak memory of the
# transfer from /usr/bin/time -v.
# Usage: bench/prenos_sqlite.sh [N [K]]
set -euo pipefail
cd "$(dirname "$0")/.."
n=${1:-1000000}
k=${2:-2}
batch=${LEDGXFER_BUILD:-build}/ledgxfer-batch
[ -x "$batch" ] || { echo "build first: scripts/build.sh" >&2; exit 2; }
command -v sqlite3 >/dev/null || { echo "sqlite3 missing (scripts/setup.sh)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time missing (scripts/setup.sh)" >&2; exit 2; }

dir=${LEDGXFER_BENCH_DIR:-build}/bench-prenos-$n
mkdir -p "$dir"
if [ ! -f "$dir/izvor.sqlite" ]; then
  echo "making a book of $n postings ..."
  "$batch" demo --database "$dir/izvor.sqlite" --aliases "$dir/izvor.ini" --postings "$n" >/dev/null
fi
printf '[LB]\ndriver=sqlite\ndatabase=ledger.sqlite\n' > "$dir/aliases.ini"
od=$(sqlite3 "$dir/izvor.sqlite" "SELECT MIN(DATUMK) FROM KNJIZBE")
do=$(sqlite3 "$dir/izvor.sqlite" "SELECT MAX(DATUMK) FROM KNJIZBE")
sed -e "s/:OD/$od/g" -e "s/:DO/$do/g" -e "s#:IZHOD#$dir/dno.txt#" bench/dno_prenos_sqlite.sql > "$dir/dno.sql"

fresh() { rm -f "$dir/ledger.sqlite"*; cp "$dir/izvor.sqlite" "$dir/ledger.sqlite"; sync; }
best_floor=""; best_run=""; peak=0
for i in $(seq "$k"); do
  fresh
  s0=$(date +%s.%N); sqlite3 "$dir/ledger.sqlite" < "$dir/dno.sql" >/dev/null; s1=$(date +%s.%N)
  tf=$(echo "$s1 - $s0" | bc -l)
  if [ -z "$best_floor" ] || [ "$(echo "$tf < $best_floor" | bc -l)" = 1 ]; then best_floor=$tf; fi
  fresh
  s0=$(date +%s.%N)
  LEDGXFER_ALIASES="$dir/aliases.ini" /usr/bin/time -v -o "$dir/time.txt" \
    "$batch" transfer --alias LB --from "$od" --to "$do" --allow-overlap --output "$dir/GKDODAT2.TXT" >/dev/null
  s1=$(date +%s.%N)
  t=$(echo "$s1 - $s0" | bc -l)
  if [ -z "$best_run" ] || [ "$(echo "$t < $best_run" | bc -l)" = 1 ]; then best_run=$t; fi
  kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$dir/time.txt")
  [ "$kb" -gt "$peak" ] && peak=$kb
  printf 'round %s: floor %.2f s, transfer %.2f s, %.1f MB\n' "$i" "$tf" "$t" "$(echo "$kb / 1024" | bc -l)"
done
printf 'rows: %s, file lines: %s\n' "$n" "$(wc -l < "$dir/GKDODAT2.TXT")"
printf 'floor (sqlite3 shell): %.2f s\nledgxfer-batch transfer: %.2f s\nratio: %.2f\npeak memory: %.1f MB\n' \
  "$best_floor" "$best_run" "$(echo "$best_run / $best_floor" | bc -l)" "$(echo "$peak / 1024" | bc -l)"
