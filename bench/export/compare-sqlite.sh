#!/usr/bin/env bash
# Rows per second of a 1,000,000-row copy out of SQLite, next to the sqlite3 shell on the same
# data and machine:
#   vorlanex-cli into a script file    vs  sqlite3 .dump
#   vorlanex-cli into an SQLite target vs  sqlite3 < script (the dump loaded into a new file)
# Usage: bench/export/compare-sqlite.sh [ROWS] [RUNS]   (builds a Release vorlanex-cli first)
# Each command runs RUNS times (default 3); the median time and the largest peak memory count.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
rows=${1:-1000000}
runs=${2:-3}
build="$root/build/bench"
work=$(mktemp -d /tmp/vorlanex-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVORLANEX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target vorlanex-cli >/dev/null
cli="$build/app/vorlanex-cli"
export VORLANEX_HOME="$work"

schema="CREATE TABLE items (id INTEGER PRIMARY KEY, name VARCHAR(40) NOT NULL,
  price DECIMAL(10,2), weight DOUBLE, added DATE, note TEXT);"
sqlite3 "$work/source.db" <<SQL
$schema
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $rows)
INSERT INTO items SELECT i, 'item ' || i, (i % 10000) / 100.0, i * 0.125,
  date('2020-01-01', '+' || (i % 2000) || ' days'),
  CASE WHEN i % 7 = 0 THEN NULL ELSE 'note ''' || i || '''' END FROM n;
SQL

# Prints "label seconds rows/s peak-kB" for one command, run $runs times after $reset.
measure() {
  local label=$1 reset=$2; shift 2
  local times=() peak=0 start end kb
  for _ in $(seq 1 "$runs"); do
    eval "$reset"
    start=$(date +%s.%N)
    /usr/bin/time -f '%M' -o "$work/time.txt" "$@" >/dev/null
    end=$(date +%s.%N)
    kb=$(tail -n 1 "$work/time.txt")
    [ "$kb" -gt "$peak" ] && peak=$kb
    times+=("$(awk -v s="$start" -v e="$end" 'BEGIN { print e - s }')")
  done
  printf '%s\n' "${times[@]}" | sort -g | awk -v l="$label" -v r="$rows" -v kb="$peak" \
    '{ t[NR] = $1 } END { m = t[int((NR + 1) / 2)];
       printf "%-34s %8.2f s %12.0f rows/s %8d kB peak\n", l, m, r / m, kb }'
}

src="Provider=SQLite;Data Source=$work/source.db"
"$cli" new --source "$src" --file "$work/out.sql" --engine 8 --table items \
  --output "$work/file.etf" >/dev/null
sqlite3 "$work/target.db" "$schema"
"$cli" new --source "$src" --target "Provider=SQLite;Data Source=$work/target.db" --table items \
  --output "$work/db.etf" >/dev/null

echo "$rows rows, $(nproc) cores, median of $runs runs"
measure "vorlanex-cli run (script file)" : "$cli" run --quiet "$work/file.etf"
measure "sqlite3 .dump" : sh -c "sqlite3 '$work/source.db' .dump > '$work/dump.sql'"
measure "vorlanex-cli run (SQLite target)" "rm -f '$work/target.db'; sqlite3 '$work/target.db' \"$schema\"" \
  "$cli" run --quiet "$work/db.etf"
measure "sqlite3 < dump (new file)" "rm -f '$work/loaded.db'" \
  sh -c "sqlite3 '$work/loaded.db' < '$work/dump.sql'"
echo "target rows: $(sqlite3 "$work/target.db" 'SELECT count(*) FROM items')"
