#!/usr/bin/env bash
# A private PostgreSQL server on loopback for the tests.
#
#   scripts/pg.sh start DIR   initdb in DIR, start on a free port, create the role
#                             "ledger" (password "ledger") and the database "ledger";
#                             writes DIR/env with the LEDGXFER_PG_* variables and an
#                             ODBC setup (DIR/odbc.ini, DIR/odbcinst.ini, DSN "LedgerPG")
#   scripts/pg.sh stop DIR    stops the server and removes DIR
#
# As root the server runs as the postgres user. Prints the reason and exits non-zero
# when no server can be started.
set -euo pipefail

ukaz=${1:-}
dir=${2:-}
[ -n "$ukaz" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop DIR" >&2; exit 2; }

pgbin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)

kot_postgres() {
  if [ "$(id -u)" = 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

case "$ukaz" in
start)
  if [ -z "$pgbin" ] || [ ! -x "$pgbin/initdb" ]; then
    echo "PostgreSQL server binaries not found (package postgresql)" >&2
    exit 1
  fi
  mkdir -p "$dir"
  [ "$(id -u)" = 0 ] && chown postgres "$dir"
  printf 'postgres\n' > "$dir/pwfile"
  [ "$(id -u)" = 0 ] && chown postgres "$dir/pwfile"
  kot_postgres "$pgbin/initdb" -D "$dir/data" -U postgres --pwfile="$dir/pwfile" \
    --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --locale=C >"$dir/initdb.log" 2>&1 \
    || { cat "$dir/initdb.log" >&2; exit 1; }
  port=""
  for p in $(seq 55432 55532); do
    if kot_postgres "$pgbin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
         -o "-p $p -k $dir -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
         start >/dev/null 2>&1; then
      port=$p
      break
    fi
  done
  if [ -z "$port" ]; then
    echo "PostgreSQL did not start on any port from 55432:" >&2
    tail -n 20 "$dir/server.log" >&2 || true
    exit 1
  fi
  kot_postgres "$pgbin/psql" -h "$dir" -p "$port" -U postgres -d postgres -v ON_ERROR_STOP=1 -q <<SQL
CREATE ROLE ledger LOGIN PASSWORD 'ledger' CREATEDB;
CREATE DATABASE ledger OWNER ledger;
SQL
  drv=$(ls /usr/lib/*/odbc/psqlodbcw.so /usr/lib/odbc/psqlodbcw.so 2>/dev/null | head -n 1 || true)
  cat > "$dir/odbcinst.ini" <<INI
[PostgreSQL Unicode]
Description=PostgreSQL ODBC driver (Unicode)
Driver=$drv
INI
  cat > "$dir/odbc.ini" <<INI
[LedgerPG]
Driver=PostgreSQL Unicode
Servername=127.0.0.1
Port=$port
Database=ledger
Username=ledger
Password=ledger
UseDeclareFetch=0
INI
  cat > "$dir/env" <<ENV
export LEDGXFER_PG_HOST=127.0.0.1
export LEDGXFER_PG_PORT=$port
export LEDGXFER_PG_USER=ledger
export LEDGXFER_PG_PASSWORD=ledger
export LEDGXFER_PG_DATABASE=ledger
export LEDGXFER_PG_SOCKET=$dir
export LEDGXFER_PG_BIN=$pgbin
export LEDGXFER_ODBC_DRIVER=$drv
export ODBCSYSINI=$dir
export ODBCINI=$dir/odbc.ini
ENV
  echo "PostgreSQL started on 127.0.0.1:$port (data in $dir)"
  ;;
stop)
  if [ -d "$dir/data" ] && [ -n "$pgbin" ]; then
    kot_postgres "$pgbin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
  ;;
*)
  echo "usage: $0 start|stop DIR" >&2
  exit 2
  ;;
esac
