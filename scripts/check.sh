#!/usr/bin/env bash
# Builds the asan preset (AddressSanitizer and UndefinedBehaviorSanitizer, build-asan/)
# and runs the engine tests under it on SQLite: the money arithmetic, the file lines,
# the register, the transfer run, the file check, the demo book, event groups and
# the report engine, and the batch command that drives them. Not part
# of CI or scripts/test.sh: a sanitized build takes long. Any sanitizer report fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset asan
testi=(db_test transfer_test register_test prenos_test preverjanje_test grupiranje_test
       report_test batch_test batch_prenos_test)
cmake --build --preset asan --target ledgxfer-batch "${testi[@]}"

export QT_QPA_PLATFORM=offscreen LEDGXFER_TEST_DB=sqlite
# Leaks are not checked: the toolkit keeps its caches (fonts, plugins) until exit.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
neuspelih=0
for t in "${testi[@]}"; do
  echo "=== $t"
  if ! "build-asan/tests/$t" --gtest_brief=1; then
    neuspelih=$((neuspelih + 1))
  fi
done
if [ "$neuspelih" -ne 0 ]; then
  echo "check: $neuspelih test programs failed under the sanitizers" >&2
  exit 1
fi
echo "check: every engine test passed under AddressSanitizer and UndefinedBehaviorSanitizer"
