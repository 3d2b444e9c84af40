#!/usr/bin/env bash
# Benchmark: a new transfer of N postings (default 1,000,000) on PostgreSQL through
# ledgxfer-batch, against psql's \copy of the same postings query to a file, side by
# side in one run, on a private server started here (scripts/pg.sh).
# Usage: bench/prenos_postgresql.sh [N]
set -euo pipefail
cd "$(dirname "$0")/.."
n=${1:-1000000}
batch=${LEDGXFER_BUILD:-build}/ledgxfer-batch
[ -x "$batch" ] || { echo "build first: scripts/build.sh" >&2; exit 2; }

pgdir=$(mktemp -d /tmp/ledgxfer-bench-pg.XXXXXX)
trap 'bash scripts/pg.sh stop "$pgdir"' EXIT
bash scripts/pg.sh start "$pgdir"
. "$pgdir/env"
work=$(mktemp -d /tmp/ledgxfer-bench.XXXXXX)
cat > "$work/aliases.ini" <<INI
[LB]
driver=postgresql
database=ledger
host=$LEDGXFER_PG_HOST
port=$LEDGXFER_PG_PORT
INI
export LEDGXFER_ALIASES="$work/aliases.ini"
echo "making a book of $n postings ..."
"$batch" demo --alias LB --user ledger --password ledger --postings "$n"
PGPASSWORD=ledger "$LEDGXFER_PG_BIN/psql" -h 127.0.0.1 -p "$LEDGXFER_PG_PORT" -U ledger -d ledger -q -c "ANALYZE KNJIZBE; ANALYZE DOG; ANALYZE SIFKONT; ANALYZE OSB; ANALYZE SFVP; ANALYZE VLT"

od=$(date -d '-80 days' +%F)
do=$(date +%F)
sql="SELECT K.DATUMV, K.DATUMK,  D.SFDJV  SFDJV,  D.IDPOG  IDPOG,  K.IDPOG  KIDPOG,  K.VP  VP,  K.DATUMV DATUMV,  K.PARTNER  SFOSB,  K.CTRL  CTRL,  K.DEJAVNOST  DEJAVNOST,  K.IDMASTER  IDMASTER,  K.OE  OE,  V.ST STVALUTE,  S.SALDAKONTEN  SALDAKONTEN,  S.DEVIZEN  DEVIZEN,  S.OZNAKA KONTO, K.STRAN, K.VALUTA VALUTA,  K.BZNESEK BZNESEK , K.DZNESEK DZNESEK,  K.BZNESEKSIT BZNESEKSIT , K.DZNESEKSIT DZNESEKSIT,  O1.KRTBNK KRTBNK1,  O2.KRTBNK KRTBNK,  K.TEKST TEXT, K.IDMASTER IDMASTER  FROM KNJIZBE  K   LEFT OUTER JOIN DOG  D ON (K.IDMASTER = D.IDDOG)  LEFT OUTER JOIN SIFKONT  S ON (K.KONTO = S.CTRL)  LEFT OUTER JOIN VLT  V ON (K.VALUTA = V.SFVLT)  LEFT OUTER JOIN SFVP SFVP ON (K.VP=SFVP.SFVP)  LEFT OUTER JOIN OSB  O1 ON (SFVP.SFOSBIZD=O1.SFOSB)  LEFT OUTER JOIN OSB  O2 ON (K.PARTNER=O2.SFOSB)  WHERE K.DATUMK>='$od'  AND K.DATUMK<='$do'  ORDER BY  S.OZNAKA, D.SFDJV,  K.DATUMK, K.STRAN, K.VALUTA, K.CTRL"

echo "psql \\copy of the postings query"
s0=$(date +%s.%N)
PGPASSWORD=ledger "$LEDGXFER_PG_BIN/psql" -h 127.0.0.1 -p "$LEDGXFER_PG_PORT" -U ledger -d ledger -q \
  -c "\\copy ($sql) TO '$work/psql.txt'"
s1=$(date +%s.%N)
echo "ledgxfer-batch transfer (new transfer)"
/usr/bin/time -v -o "$work/time.txt" "$batch" transfer --alias LB --user ledger --password ledger \
  --from "$od" --to "$do" --output "$work/GKDODAT2.TXT"
s2=$(date +%s.%N)
t_psql=$(echo "$s1 - $s0" | bc -l)
t_run=$(echo "$s2 - $s1" | bc -l)
peak_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
printf 'rows: %s (psql wrote %s lines)\n' "$n" "$(wc -l < "$work/psql.txt")"
printf 'psql \\copy: %.2f s\nledgxfer-batch transfer: %.2f s\nratio: %.2f\npeak memory: %.1f MB\n' \
  "$t_psql" "$t_run" "$(echo "$t_run / $t_psql" | bc -l)" "$(echo "$peak_kb / 1024" | bc -l)"
rm -rf "$work"
