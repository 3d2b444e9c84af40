#!/usr/bin/env bash
# Benchmark: a new transfer of ten times the postings. In one sitting, the transfer
# benchmark of ENGINE (sqlite or postgresql) runs on N postings (default 1,000,000), K
# alternating rounds of the program and its floor (default 3), then on 10 × N postings of
# the same book shape, K10 rounds (default 1), where the program's file of the last round
# is checked with ledgxfer-batch verify --alias LB --transfer N. Reported: both summaries
# and the ratios of the larger to the smaller (median wall and CPU time of the program
# and of its floor, the program's peak memory). A book of 10,000,000 postings takes
# about 2 GB on SQLite (in build/, or LEDGXFER_BENCH_DIR) and about 8 GB on PostgreSQL
# (in /tmp, the book and its template); the run takes minutes.
# Usage: bench/linearnost.sh ENGINE [SHAPE [K [N [K10]]]]
set -euo pipefail
cd "$(dirname "$0")/.."
pogon=${1:?"engine: sqlite or postgresql"}
oblika=${2:-wide}
k=${3:-3}
n=${4:-1000000}
k10=${5:-1}
case $pogon in sqlite|postgresql) ;; *) echo "engine: sqlite or postgresql" >&2; exit 2 ;; esac
izpis1=$(mktemp) izpis10=$(mktemp)
trap 'rm -f "$izpis1" "$izpis10"' EXIT

echo "== $n postings, $oblika"
bash "bench/prenos_$pogon.sh" "$n" "$k" "$oblika" | tee "$izpis1"
echo "== $((n * 10)) postings, $oblika"
LEDGXFER_BENCH_VERIFY=1 bash "bench/prenos_$pogon.sh" "$((n * 10))" "$k10" "$oblika" | tee "$izpis10"

# The median wall (field 4) and CPU (field 11) of a summary line: "floor:" or "program:".
mediana() { awk -v v="$2" -v p="$3" '$1 == v {gsub(/,/, ""); print $p}' "$1"; }
spomin() { awk '/^peak memory of the program/ {print $(NF - 1)}' "$1"; }
razmerje() { echo "$1 / $2" | bc -l; }
echo "== ten times the postings"
for v in floor: program:; do
  printf '%-8s wall %.2f s -> %.2f s (%.2f×), cpu %.2f s -> %.2f s (%.2f×)\n' "$v" \
    "$(mediana "$izpis1" "$v" 4)" "$(mediana "$izpis10" "$v" 4)" \
    "$(razmerje "$(mediana "$izpis10" "$v" 4)" "$(mediana "$izpis1" "$v" 4)")" \
    "$(mediana "$izpis1" "$v" 11)" "$(mediana "$izpis10" "$v" 11)" \
    "$(razmerje "$(mediana "$izpis10" "$v" 11)" "$(mediana "$izpis1" "$v" 11)")"
done
printf 'peak memory of the program: %s MB -> %s MB\n' "$(spomin "$izpis1")" "$(spomin "$izpis10")"
grep -q '^verify: the file of transfer .* is accepted' "$izpis10"
