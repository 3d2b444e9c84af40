#!/usr/bin/env bash
# Builds the asan preset (AddressSanitizer and UndefinedBehaviorSanitizer, build-asan/)
# with warnings as errors and runs every test program under it: each on SQLite, and
# those that run on every engine (registered with BAZE) once more on PostgreSQL, on a
# private server started here on loopback (scripts/pg.sh) and stopped again whatever
# happens. First the sources' layout is checked against .clang-format. The list of programs is read from the tests' CMakeLists.txt files, so a new
# test program is checked without a change here. Any sanitizer report or failed test fails the run.
# CI runs it after scripts/test.sh (.ci/run); see README for what it costs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The sources keep the house layout (.clang-format): a file that the formatter would
# change fails the check; `clang-format -i FILE` mends it.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
cmake --preset asan -DLEDGXFER_WERROR=ON
cmake --build --preset asan

mapfile -t programi < <(sed -n 's/^ledg_test(\([A-Za-z0-9_]*\).*/\1/p' ./*/tests/CMakeLists.txt | sort)
mapfile -t naBazah < <(sed -n 's/^ledg_test(\([A-Za-z0-9_]*\) .*BAZE.*/\1/p' ./*/tests/CMakeLists.txt | sort)
[ ${#programi[@]} -gt 0 ] || { echo "check: no test programs found" >&2; exit 1; }

export QT_QPA_PLATFORM=offscreen
pgdir=$(mktemp -d /tmp/ledgxfer-pg.XXXXXX)
trap 'bash scripts/pg.sh stop "$pgdir"' EXIT
if bash scripts/pg.sh start "$pgdir"; then
  # shellcheck disable=SC1091
  . "$pgdir/env"
else
  echo "check: NO POSTGRESQL SERVER COULD BE STARTED: the PostgreSQL runs are SKIPPED" >&2
  [ "${CI:-}" = true ] && exit 1
fi

# Leaks are not checked: the toolkit keeps its caches (fonts, plugins) until exit.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
neuspelih=()
zazeni() {
  local program=$1 baza=$2 zacetek
  zacetek=$(date +%s)
  echo "=== $program ($baza)"
  if ! LEDGXFER_TEST_DB=$baza "build-asan/tests/$program" --gtest_brief=1; then
    neuspelih+=("$program ($baza)")
  fi
  echo "    $(( $(date +%s) - zacetek )) s"
}
for t in "${programi[@]}"; do
  zazeni "$t" sqlite
done
for t in "${naBazah[@]}"; do
  zazeni "$t" postgresql
done
if [ ${#neuspelih[@]} -ne 0 ]; then
  echo "check: failed under the sanitizers: ${neuspelih[*]}" >&2
  exit 1
fi
echo "check: ${#programi[@]} test programs on SQLite and ${#naBazah[@]} on PostgreSQL passed under AddressSanitizer and UndefinedBehaviorSanitizer"
