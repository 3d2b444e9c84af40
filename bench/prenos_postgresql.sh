#!/usr/bin/env bash
# Benchmark: a new transfer of N postings (default 1,000,000) on PostgreSQL through
# ledgxfer-batch, against its floor: psql doing the same database work in one
# transaction (bench/dno_prenos_postgresql.sql: the postings query copied to a file,
# the adjustment rows inserted by one INSERT ... SELECT, the postings marked, the rows
# numbered, the register row inserted), on a private server started here
# (scripts/pg.sh). Before each run the book is restored from a template database, so
# both start from the same state; they run alternately K times (default 2), the best
# of each counts. Peak memory of the transfer from /usr/bin/time -v.
# Usage: bench/prenos_postgresql.sh [N [K]]
set -euo pipefail
cd "$(dirname "$0")/.."
n=${1:-1000000}
k=${2:-2}
batch=${LEDGXFER_BUILD:-build}/ledgxfer-batch
[ -x "$batch" ] || { echo "build first: scripts/build.sh" >&2; exit 2; }

pgdir=$(mktemp -d /tmp/ledgxfer-bench-pg.XXXXXX)
work=$(mktemp -d /tmp/ledgxfer-bench.XXXXXX)
trap 'bash scripts/pg.sh stop "$pgdir"; rm -rf "$work"' EXIT
bash scripts/pg.sh start "$pgdir"
. "$pgdir/env"
psql_() { PGPASSWORD=ledger "$LEDGXFER_PG_BIN/psql" -h 127.0.0.1 -p "$LEDGXFER_PG_PORT" -U ledger -q "$@"; }
cat > "$work/aliases.ini" <<INI
[LB]
driver=postgresql
database=ledger
host=$LEDGXFER_PG_HOST
port=$LEDGXFER_PG_PORT
INI
export LEDGXFER_ALIASES="$work/aliases.ini"
echo "making a book of $n postings ..."
"$batch" demo --alias LB --user ledger --password ledger --postings "$n" >/dev/null
psql_ -d ledger -c "ANALYZE KNJIZBE; ANALYZE DOG; ANALYZE SIFKONT; ANALYZE OSB; ANALYZE SFVP; ANALYZE VLT"
psql_ -d postgres -c "CREATE DATABASE knjiga TEMPLATE ledger"
od=$(psql_ -d ledger -At -c "SELECT MIN(DATUMK) FROM KNJIZBE")
do=$(psql_ -d ledger -At -c "SELECT MAX(DATUMK) FROM KNJIZBE")
sed -e "s/:OD/$od/g" -e "s/:DO/$do/g" -e "s#:IZHOD#$work/dno.txt#" bench/dno_prenos_postgresql.sql > "$work/dno.sql"

fresh() {
  psql_ -d postgres -c "DROP DATABASE ledger" -c "CREATE DATABASE ledger TEMPLATE knjiga"
  psql_ -d ledger -c "ANALYZE KNJIZBE; ANALYZE DOG; ANALYZE SIFKONT; ANALYZE OSB; ANALYZE SFVP; ANALYZE VLT"
}
best_floor=""; best_run=""; peak=0
for i in $(seq "$k"); do
  fresh
  s0=$(date +%s.%N); psql_ -d ledger -f "$work/dno.sql" >/dev/null; s1=$(date +%s.%N)
  tf=$(echo "$s1 - $s0" | bc -l)
  if [ -z "$best_floor" ] || [ "$(echo "$tf < $best_floor" | bc -l)" = 1 ]; then best_floor=$tf; fi
  fresh
  s0=$(date +%s.%N)
  /usr/bin/time -v -o "$work/time.txt" "$batch" transfer --alias LB --user ledger --password ledger \
    --from "$od" --to "$do" --allow-overlap --output "$work/GKDODAT2.TXT" >/dev/null
  s1=$(date +%s.%N)
  t=$(echo "$s1 - $s0" | bc -l)
  if [ -z "$best_run" ] || [ "$(echo "$t < $best_run" | bc -l)" = 1 ]; then best_run=$t; fi
  kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
  [ "$kb" -gt "$peak" ] && peak=$kb
  printf 'round %s: floor %.2f s, transfer %.2f s, %.1f MB\n' "$i" "$tf" "$t" "$(echo "$kb / 1024" | bc -l)"
done
printf 'rows: %s, file lines: %s\n' "$n" "$(wc -l < "$work/GKDODAT2.TXT")"
printf 'floor (psql): %.2f s\nledgxfer-batch transfer: %.2f s\nratio: %.2f\npeak memory: %.1f MB\n' \
  "$best_floor" "$best_run" "$(echo "$best_run / $best_floor" | bc -l)" "$(echo "$peak / 1024" | bc -l)"
