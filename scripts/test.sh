#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the engine suites on SQLite
# and again on a private PostgreSQL server started here on loopback (stopped again
# whatever happens), the window tests offscreen. The build treats warnings as errors.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# Warnings are errors here: a new warning fails the run.
LEDGXFER_WERROR=ON bash scripts/build.sh
export QT_QPA_PLATFORM=offscreen

pgdir=$(mktemp -d /tmp/ledgxfer-pg.XXXXXX)
trap 'bash scripts/pg.sh stop "$pgdir"' EXIT
if bash scripts/pg.sh start "$pgdir"; then
  # shellcheck disable=SC1091
  . "$pgdir/env"
else
  echo "###########################################################################"
  echo "## NO POSTGRESQL SERVER COULD BE STARTED: the pg.* tests will be SKIPPED ##"
  echo "###########################################################################"
  if [ "${CI:-}" = true ]; then
    echo "CI must run the PostgreSQL tests: failing." >&2
    exit 1
  fi
fi

ctest --test-dir build --output-on-failure --timeout 900 -j "$(nproc)"
