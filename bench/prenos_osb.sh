#!/usr/bin/env bash
# Benchmark: the party register export (`ledgxfer-batch parties`) over a SQLite book of
# C contracts (default 600,000) and P parties (default 300,000). The book is made on
# first use and kept: every party has a name with a run of spaces, one in seven a
# Slovenian letter, one in five no postal code; contracts name their parties in a
# scattered order, one in fifty a party that is missing and one in a hundred has a
# blank short code. The export runs K times (default 2); the best time counts, the peak
# memory is the highest of the runs (/usr/bin/time -v). There is no floor: the
# reference is the target of 2 s and 100 MB.
# With LEDGXFER_BUILD_BEFORE set to a second build folder, that build's export runs
# alternately with this one and the two files are compared byte for byte.
# Usage: bench/prenos_osb.sh [C [P [K]]]   (LEDGXFER_BUILD: the build folder, default build)
set -euo pipefail
cd "$(dirname "$0")/.."
c=${1:-600000}
p=${2:-300000}
k=${3:-2}
LEDGXFER_BUILD=${LEDGXFER_BUILD:-build}
command -v sqlite3 >/dev/null || { echo "sqlite3 missing (scripts/setup.sh)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time missing (scripts/setup.sh)" >&2; exit 2; }

builds=("$LEDGXFER_BUILD")
[ -n "${LEDGXFER_BUILD_BEFORE:-}" ] && builds=("$LEDGXFER_BUILD_BEFORE" "$LEDGXFER_BUILD")
for b in "${builds[@]}"; do
  [ -x "$b/ledgxfer-batch" ] || { echo "no $b/ledgxfer-batch: build first (scripts/build.sh)" >&2; exit 2; }
done

dir=${LEDGXFER_BENCH_DIR:-build}/bench-osb-$c-$p
mkdir -p "$dir"
printf '[LB]\ndriver=sqlite\ndatabase=ledger.sqlite\n' > "$dir/aliases.ini"
if [ ! -f "$dir/ledger.sqlite" ]; then
  echo "making a book of $c contracts and $p parties ..."
  rm -f "$dir/izvor".*
  "${builds[-1]}/ledgxfer-batch" demo --database "$dir/izvor.sqlite" --aliases "$dir/izvor.ini" \
    --postings 100 >/dev/null
  sqlite3 "$dir/izvor.sqlite" "
    DELETE FROM POG; DELETE FROM OSB;
    WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $p)
    INSERT INTO OSB (SFOSB, Nzv, Ime, Nsl, Pst, Mst, Zrr, Sklic)
    SELECT i, 'Podjetje   ' || i || CASE WHEN i % 7 = 0 THEN ' Žiri  š.p.' ELSE ' d.o.o.' END,
           CASE WHEN i % 3 = 0 THEN NULL ELSE 'Janez  Novak' END,
           'Slovenska cesta ' || (i % 300), CASE WHEN i % 5 = 0 THEN '' ELSE '1000' END,
           CASE WHEN i % 7 = 0 THEN 'Škofja Loka' ELSE 'Ljubljana' END,
           'SI56 0201 0001 ' || printf('%08d', i), 'SI00 ' || i
    FROM n;
    WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $c)
    INSERT INTO POG (IDPOG, SFOSB, KRTBIS, Nzv)
    SELECT i, CASE WHEN i % 50 = 0 THEN $p + i ELSE 1 + (i * 7919) % $p END,
           CASE WHEN i % 100 = 1 THEN '  ' ELSE 'P' || i END, 'Pogodba ' || i
    FROM n;"
  mv "$dir/izvor.sqlite" "$dir/ledger.sqlite"
  rm -f "$dir/izvor".*
fi

declare -A best peak
for i in $(seq "$k"); do
  for b in "${builds[@]}"; do
    out="$dir/OSB-$(echo "$b" | tr '/' '_').TXT"
    s0=$(date +%s.%N)
    LEDGXFER_ALIASES="$dir/aliases.ini" /usr/bin/time -v -o "$dir/time.txt" \
      "$b/ledgxfer-batch" parties --alias LB --output "$out" >/dev/null 2>"$dir/stderr.txt"
    s1=$(date +%s.%N)
    t=$(echo "$s1 - $s0" | bc -l)
    if [ -z "${best[$b]:-}" ] || [ "$(echo "$t < ${best[$b]}" | bc -l)" = 1 ]; then best[$b]=$t; fi
    kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$dir/time.txt")
    [ "$kb" -gt "${peak[$b]:-0}" ] && peak[$b]=$kb
    printf 'round %s, %s: export %.2f s, %.1f MB\n' "$i" "$b" "$t" "$(echo "$kb / 1024" | bc -l)"
  done
done
for b in "${builds[@]}"; do
  out="$dir/OSB-$(echo "$b" | tr '/' '_').TXT"
  printf '%s: %s lines; ledgxfer-batch parties %.2f s (target 2 s), peak memory %.1f MB (target 100 MB)\n' \
    "$b" "$(( $(stat -c %s "$out") / 181 ))" "${best[$b]}" "$(echo "${peak[$b]} / 1024" | bc -l)"
done
if [ ${#builds[@]} = 2 ]; then
  if cmp "$dir/OSB-$(echo "${builds[0]}" | tr '/' '_').TXT" "$dir/OSB-$(echo "${builds[1]}" | tr '/' '_').TXT"; then
    echo "the two files are the same byte for byte"
  else
    echo "THE FILES DIFFER" >&2
    exit 1
  fi
fi
