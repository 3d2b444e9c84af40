#!/usr/bin/env bash
# Benchmark: a new transfer of N postings (default 1,000,000) on PostgreSQL through
# ledgxfer-batch, against its floor: psql doing the same database work in one
# transaction (bench/dno_prenos_postgresql.sql: the postings query copied to a file,
# the adjustment rows inserted by one INSERT ... SELECT, the postings marked, the rows
# numbered, the register row inserted), on a private server started here
# (scripts/pg.sh). Before each run the book is restored from a template database, so
# both start from the same state; they run alternately K rounds (default 3). Reported:
# the median and the best of wall time and of CPU time for both, where CPU time is the
# client's (user + system) plus the server's (the postmaster's own and its children's,
# reaped or running), and the program's peak memory.
# SHAPE: demo (the demo book, default) or wide (ledgxfer-batch demo --shape wide).
# LEDGXFER_BENCH_VERIFY=1: the program's file of the last round is then checked against
# the book with ledgxfer-batch verify --alias LB --transfer N (the run's own number).
# LEDGXFER_BENCH_PG=DIR: the server in DIR (started there when it is not running) is kept
# after the run, and so is the book's template (database knjiga_SHAPE_N), which a later
# sitting then uses instead of making the book again (ten million postings take about
# half an hour to make).
# Usage: bench/prenos_postgresql.sh [N [K [SHAPE]]]
set -euo pipefail
cd "$(dirname "$0")/.."
n=${1:-1000000}
k=${2:-3}
oblika=${3:-demo}
. bench/merjenje.sh
batch=${LEDGXFER_BUILD:-build}/ledgxfer-batch
[ -x "$batch" ] || { echo "build first: scripts/build.sh" >&2; exit 2; }

work=$(mktemp -d /tmp/ledgxfer-bench.XXXXXX)
if [ -n "${LEDGXFER_BENCH_PG:-}" ]; then
  pgdir=$LEDGXFER_BENCH_PG
  trap 'rm -rf "$work"' EXIT
  if [ -f "$pgdir/env" ]; then
    . "$pgdir/env"
    if ! PGPASSWORD=ledger "$LEDGXFER_PG_BIN/psql" -h 127.0.0.1 -p "$LEDGXFER_PG_PORT" -U ledger -d postgres \
         -qAtc "SELECT 1" >/dev/null 2>&1; then
      pgbin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
      runuser_() { if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi; }
      runuser_ "$pgbin/pg_ctl" -D "$pgdir/data" -l "$pgdir/server.log" -w -t 60 \
        -o "-p $LEDGXFER_PG_PORT -k $pgdir -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
        start >/dev/null
    fi
  else
    bash scripts/pg.sh start "$pgdir"
  fi
else
  pgdir=$(mktemp -d /tmp/ledgxfer-bench-pg.XXXXXX)
  trap 'bash scripts/pg.sh stop "$pgdir"; rm -rf "$work"' EXIT
  bash scripts/pg.sh start "$pgdir"
fi
. "$pgdir/env"
psql_() { PGPASSWORD=ledger "$LEDGXFER_PG_BIN/psql" -h 127.0.0.1 -p "$LEDGXFER_PG_PORT" -U ledger -q "$@"; }
sablona=knjiga
[ -n "${LEDGXFER_BENCH_PG:-}" ] && sablona=knjiga_${oblika}_$n
cat > "$work/aliases.ini" <<INI
[LB]
driver=postgresql
database=ledger
host=$LEDGXFER_PG_HOST
port=$LEDGXFER_PG_PORT
INI
export LEDGXFER_ALIASES="$work/aliases.ini"
if [ "$(psql_ -d postgres -At -c "SELECT COUNT(*) FROM pg_database WHERE datname = '$sablona'")" = 0 ]; then
  psql_ -d postgres -c "DROP DATABASE IF EXISTS ledger" -c "CREATE DATABASE ledger"
  echo "making a book of $n postings ..."
  "$batch" demo --alias LB --user ledger --password ledger --postings "$n" --shape "$oblika" >/dev/null
  psql_ -d ledger -c "ANALYZE KNJIZBE; ANALYZE DOG; ANALYZE SIFKONT; ANALYZE OSB; ANALYZE SFVP; ANALYZE VLT"
  psql_ -d postgres -c "CREATE DATABASE $sablona TEMPLATE ledger"
else
  echo "the book of $n postings: template $sablona"
  psql_ -d postgres -c "DROP DATABASE IF EXISTS ledger" -c "CREATE DATABASE ledger TEMPLATE $sablona" >/dev/null
fi
od=$(psql_ -d ledger -At -c "SELECT MIN(DATUMK) FROM KNJIZBE")
do=$(psql_ -d ledger -At -c "SELECT MAX(DATUMK) FROM KNJIZBE")
sed -e "s/:OD/$od/g" -e "s/:DO/$do/g" -e "s#:IZHOD#$work/dno.txt#" bench/dno_prenos_postgresql.sql > "$work/dno.sql"

fresh() {
  psql_ -d postgres -c "DROP DATABASE ledger" -c "CREATE DATABASE ledger TEMPLATE $sablona"
  psql_ -d ledger -c "ANALYZE KNJIZBE; ANALYZE DOG; ANALYZE SIFKONT; ANALYZE OSB; ANALYZE SFVP; ANALYZE VLT"
}
# The server's CPU seconds so far: the postmaster's own and its reaped children's,
# and those of its children still running.
cpu_streznika() {
  local glavni tik
  glavni=$(head -n 1 "$pgdir/data/postmaster.pid")
  tik=$(getconf CLK_TCK)
  { awk '{print $14 + $15 + $16 + $17}' "/proc/$glavni/stat"
    for c in $(pgrep -P "$glavni"); do awk '{print $14 + $15}' "/proc/$c/stat" 2>/dev/null || true; done
  } | awk -v t="$tik" '{s += $1} END {printf "%.3f", s / t}'
}
CPU_STREZNIKA=cpu_streznika
# Waits (at most 10 s) until no session of the user ledger is left on the server.
pocakaj_streznik() {
  local glavni
  glavni=$(head -n 1 "$pgdir/data/postmaster.pid")
  for _ in $(seq 100); do
    pgrep -P "$glavni" -f 'postgres: ledger' >/dev/null || return 0
    sleep 0.1
  done
}
POCAKAJ_STREZNIK=pocakaj_streznik
for i in $(seq "$k"); do
  echo "round $i:"
  fresh >/dev/null
  izmeri dno env PGPASSWORD=ledger "$LEDGXFER_PG_BIN/psql" -h 127.0.0.1 -p "$LEDGXFER_PG_PORT" -U ledger -q \
    -d ledger -f "$work/dno.sql"
  fresh >/dev/null
  izmeri program "$batch" transfer --alias LB --user ledger --password ledger \
    --from "$od" --to "$do" --allow-overlap --output "$work/GKDODAT2.TXT"
done
printf 'book: %s, %s postings, file lines: %s\n' "$oblika" "$n" "$(wc -l < "$work/GKDODAT2.TXT")"
povzetek
if [ "${LEDGXFER_BENCH_VERIFY:-0}" = 1 ]; then
  st=$(psql_ -d ledger -At -c "SELECT MAX(STPRENOSA) FROM LEDGXFER")
  echo "verify of transfer $st ..."
  if "$batch" verify --file "$work/GKDODAT2.TXT" --alias LB --user ledger --password ledger --transfer "$st"; then
    echo "verify: the file of transfer $st is accepted"
  else
    echo "verify: the file of transfer $st is refused" >&2; exit 1
  fi
fi
