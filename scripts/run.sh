#!/usr/bin/env bash
# Installs what is needed, builds the two programs (not the tests: scripts/test.sh
# builds those), makes the demo database and its aliases file when missing, and
# starts ledgxfer on it. Extra arguments go to the program (alias, user,
# password); without them the login dialog offers the alias LB.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh ledgxfer ledgxfer-batch
demo="$PWD/build/demo"
mkdir -p "$demo"
./build/ledgxfer-batch demo --database "$demo/ledger.sqlite" --aliases "$demo/aliases.ini"
export LEDGXFER_HOME="$demo"
if [ $# -eq 0 ]; then set -- LB; fi
exec ./build/ledgxfer "$@"
