#!/usr/bin/env bash
# Benchmark: a new transfer of N postings (default 1,000,000) on SQLite through
# ledgxfer-batch, against its floor: the sqlite3 shell doing the same database work in
# one transaction (bench/dno_prenos_sqlite.sql: the postings query written to a file,
# the adjustment rows inserted by one INSERT ... SELECT, the postings marked, the rows
# numbered, the register row inserted). Both run on fresh copies of the same book,
# alternately, K rounds (default 3); the median and the best of wall time and of CPU
# time (user + system) are reported for both, and the program's peak memory.
# SHAPE: demo (the demo book, default) or wide (ledgxfer-batch demo --shape wide).
# LEDGXFER_BENCH_VERIFY=1: the program's file of the last round is then checked against
# the book with ledgxfer-batch verify --alias LB --transfer N (the run's own number).
# Usage: bench/prenos_sqlite.sh [N [K [SHAPE]]]
set -euo pipefail
cd "$(dirname "$0")/.."
n=${1:-1000000}
k=${2:-3}
oblika=${3:-demo}
. bench/merjenje.sh
batch=${LEDGXFER_BUILD:-build}/ledgxfer-batch
[ -x "$batch" ] || { echo "build first: scripts/build.sh" >&2; exit 2; }
command -v sqlite3 >/dev/null || { echo "sqlite3 missing (scripts/setup.sh)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time missing (scripts/setup.sh)" >&2; exit 2; }

dir=${LEDGXFER_BENCH_DIR:-build}/bench-prenos-$oblika-$n
mkdir -p "$dir"
if [ ! -f "$dir/izvor.sqlite" ]; then
  echo "making a book of $n postings ..."
  "$batch" demo --database "$dir/izvor.sqlite" --aliases "$dir/izvor.ini" --postings "$n" --shape "$oblika" >/dev/null
fi
printf '[LB]\ndriver=sqlite\ndatabase=ledger.sqlite\n' > "$dir/aliases.ini"
od=$(sqlite3 "$dir/izvor.sqlite" "SELECT MIN(DATUMK) FROM KNJIZBE")
do=$(sqlite3 "$dir/izvor.sqlite" "SELECT MAX(DATUMK) FROM KNJIZBE")
sed -e "s/:OD/$od/g" -e "s/:DO/$do/g" -e "s#:IZHOD#$dir/dno.txt#" bench/dno_prenos_sqlite.sql > "$dir/dno.sql"

fresh() { rm -f "$dir/ledger.sqlite"*; cp "$dir/izvor.sqlite" "$dir/ledger.sqlite"; sync; }
for i in $(seq "$k"); do
  echo "round $i:"
  fresh
  izmeri dno sqlite3 "$dir/ledger.sqlite" -init /dev/null ".read $dir/dno.sql"
  fresh
  LEDGXFER_ALIASES="$dir/aliases.ini" izmeri program \
    "$batch" transfer --alias LB --from "$od" --to "$do" --allow-overlap --output "$dir/GKDODAT2.TXT"
done
printf 'book: %s, %s postings, file lines: %s\n' "$oblika" "$n" "$(wc -l < "$dir/GKDODAT2.TXT")"
povzetek
if [ "${LEDGXFER_BENCH_VERIFY:-0}" = 1 ]; then
  st=$(sqlite3 "$dir/ledger.sqlite" "SELECT MAX(STPRENOSA) FROM LEDGXFER")
  echo "verify of transfer $st ..."
  if LEDGXFER_ALIASES="$dir/aliases.ini" "$batch" verify --file "$dir/GKDODAT2.TXT" --alias LB --transfer "$st"; then
    echo "verify: the file of transfer $st is accepted"
  else
    echo "verify: the file of transfer $st is refused" >&2; exit 1
  fi
fi
