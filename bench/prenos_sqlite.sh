#!/usr/bin/env bash
# Benchmark: a new transfer of N postings (default 1,000,000) on SQLite through
# ledgxfer-batch, against the sqlite3 shell running the same postings query and writing
# its rows to a file, side by side in one run; peak memory of the transfer.
# Usage: bench/prenos_sqlite.sh [N]
set -euo pipefail
cd "$(dirname "$0")/.."
n=${1:-1000000}
batch=${LEDGXFER_BUILD:-build}/ledgxfer-batch
[ -x "$batch" ] || { echo "build first: scripts/build.sh" >&2; exit 2; }
command -v sqlite3 >/dev/null || { echo "sqlite3 missing (scripts/setup.sh)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time missing (scripts/setup.sh)" >&2; exit 2; }

dir=build/bench-prenos-$n
mkdir -p "$dir"
if [ ! -f "$dir/izvor.sqlite" ]; then
  echo "making a book of $n postings ..."
  "$batch" demo --database "$dir/izvor.sqlite" --aliases "$dir/izvor.ini" --postings "$n" >/dev/null
fi
cp "$dir/izvor.sqlite" "$dir/ledger.sqlite"
printf '[LB]\ndriver=sqlite\ndatabase=ledger.sqlite\n' > "$dir/aliases.ini"

od=$(date -d '-80 days' +%F)
do=$(date +%F)

# The postings query exactly as the engine sends it to SQLite.
sql="SELECT K.DATUMV, K.DATUMK,  D.SFDJV  SFDJV,  D.IDPOG  IDPOG,  K.IDPOG  KIDPOG,  K.VP  VP,  K.DATUMV DATUMV,  K.PARTNER  SFOSB,  K.CTRL  CTRL,  K.DEJAVNOST  DEJAVNOST,  K.IDMASTER  IDMASTER,  K.OE  OE,  V.ST STVALUTE,  S.SALDAKONTEN  SALDAKONTEN,  S.DEVIZEN  DEVIZEN,  S.OZNAKA KONTO, K.STRAN, K.VALUTA VALUTA,  K.BZNESEK BZNESEK , K.DZNESEK DZNESEK,  K.BZNESEKSIT BZNESEKSIT , K.DZNESEKSIT DZNESEKSIT,  O1.KRTBNK KRTBNK1,  O2.KRTBNK KRTBNK,  K.TEKST TEXT, K.IDMASTER IDMASTER  FROM KNJIZBE  K   LEFT OUTER JOIN DOG  D ON (K.IDMASTER = D.IDDOG)  LEFT OUTER JOIN SIFKONT  S ON (K.KONTO = S.CTRL)  LEFT OUTER JOIN VLT  V ON (K.VALUTA = V.SFVLT)  LEFT OUTER JOIN SFVP SFVP ON (K.VP=SFVP.SFVP)  LEFT OUTER JOIN OSB  O1 ON (SFVP.SFOSBIZD=O1.SFOSB)  LEFT OUTER JOIN OSB  O2 ON (K.PARTNER=O2.SFOSB)  WHERE K.DATUMK>='$od'  AND K.DATUMK<='$do'  ORDER BY  S.OZNAKA NULLS LAST, D.SFDJV NULLS LAST,  K.DATUMK NULLS LAST, K.STRAN NULLS LAST, K.VALUTA NULLS LAST, K.CTRL NULLS LAST;"

echo "sqlite3 shell: postings query to a file"
s0=$(date +%s.%N)
sqlite3 "$dir/izvor.sqlite" ".output $dir/sqlite3.txt" "$sql"
s1=$(date +%s.%N)
echo "ledgxfer-batch transfer (new transfer)"
LEDGXFER_ALIASES="$dir/aliases.ini" /usr/bin/time -v -o "$dir/time.txt" \
  "$batch" transfer --alias LB --from "$od" --to "$do" --output "$dir/GKDODAT2.TXT"
s2=$(date +%s.%N)

t_shell=$(echo "$s1 - $s0" | bc -l)
t_run=$(echo "$s2 - $s1" | bc -l)
peak_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$dir/time.txt")
printf 'rows: %s (shell output %s lines)\n' "$n" "$(wc -l < "$dir/sqlite3.txt")"
printf 'sqlite3 shell: %.2f s\nledgxfer-batch transfer: %.2f s\nratio: %.2f\npeak memory: %.1f MB\n' \
  "$t_shell" "$t_run" "$(echo "$t_run / $t_shell" | bc -l)" "$(echo "$peak_kb / 1024" | bc -l)"
