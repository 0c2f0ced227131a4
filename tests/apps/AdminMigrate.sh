#!/usr/bin/env bash
# velmora-admin migrate and the engine chosen from velmora.INI, as an office
# uses them from the command line.
#   AdminMigrate.sh ADMIN DIR sqlite       folder to folder, and the refusals
#   AdminMigrate.sh ADMIN DIR postgresql   into the database VEL_TEST_PG names
#                                          and back (fails without one)
set -u
admin=$1
dir=$2
mode=$3
rm -rf "$dir"
mkdir -p "$dir"
fail() {
  echo "$*" >&2
  exit 1
}
tps() { ls "$1" 2>/dev/null | grep -c '\.Tps$'; }

"$admin" seed-demo "$dir/office" --clients 25 --months 1 >/dev/null || fail "seed-demo failed"
files_of() { "$admin" files "$1" 2>&1 || fail "files $1 failed: $("$admin" files "$1" 2>&1)"; }

if [ "$mode" = sqlite ]; then
  # Settings that cannot be trusted stop every command before a file is made.
  mkdir "$dir/bad"
  printf '[Store]\r\nEngine=postgresql\r\nConnection=host=db password=secret\r\n' >"$dir/bad/velmora.INI"
  for cmd in "files $dir/bad" "invoice-run --dir $dir/bad" "daily --dir $dir/bad" \
             "backup --dir $dir/bad" "export all --dir $dir/bad" "copy-to-hamper --dir $dir/bad"; do
    $admin $cmd >/dev/null 2>"$dir/err" && fail "$cmd ran with a password in velmora.INI"
    grep -q "password must not stand in velmora.INI" "$dir/err" || fail "$cmd: $(cat "$dir/err")"
  done
  printf '[Store]\nEngine=oracle\n' >"$dir/bad/velmora.INI"
  "$admin" sms-outbox --dir "$dir/bad" >/dev/null 2>"$dir/err" && fail "an unknown engine was used"
  grep -q '"oracle"' "$dir/err" || fail "unknown engine not named: $(cat "$dir/err")"
  [ "$(tps "$dir/bad")" -eq 0 ] || fail "a refused folder got record files: $(ls "$dir/bad")"

  # Older layouts are converted only in a folder's own files.
  printf '[Store]\nEngine=postgresql\nConnection=host=db\n' >"$dir/bad/velmora.INI"
  "$admin" convert --dir "$dir/bad" >/dev/null 2>"$dir/err" && fail "convert ran on a database office"
  grep -q "convert works only on record files" "$dir/err" || fail "convert: $(cat "$dir/err")"

  # Usage and refusals of migrate.
  "$admin" migrate --from "$dir/office" >/dev/null 2>&1; [ $? -eq 1 ] || fail "no --to is not a usage error"
  "$admin" migrate --from "$dir/office" --to "$dir/copy" --schema s >/dev/null 2>&1
  [ $? -eq 1 ] || fail "--schema between two folders is not a usage error"
  "$admin" migrate --from "$dir/office" --to "host=db password=secret" >/dev/null 2>"$dir/err"
  [ $? -eq 2 ] && grep -q "password must not stand on the command line" "$dir/err" ||
    fail "a password on the command line: $(cat "$dir/err")"
  "$admin" migrate --from "$dir/office" --to "$dir/office" >/dev/null 2>&1 && fail "a folder onto itself"

  before=$(cd "$dir/office" && sha1sum *.Tps)
  "$admin" migrate --from "$dir/office" --to "$dir/copy" --switch >"$dir/out" 2>"$dir/err" ||
    fail "migrate to a folder failed: $(cat "$dir/out" "$dir/err")"
  grep -q DIFFERENT "$dir/out" && fail "a file differs: $(cat "$dir/out")"
  [ "$(grep -c ' ok$' "$dir/out")" -eq "$(tps "$dir/office")" ] || fail "not every file checked: $(cat "$dir/out")"
  [ "$before" = "$(cd "$dir/office" && sha1sum *.Tps)" ] || fail "the source changed"
  grep -qi "^Engine=sqlite" "$dir/copy/velmora.INI" || fail "--switch did not name the engine"
  [ "$(files_of "$dir/office")" = "$(files_of "$dir/copy")" ] || fail "the copy lists other counts"

  "$admin" migrate --from "$dir/office" --to "$dir/copy" >/dev/null 2>"$dir/err"
  [ $? -eq 2 ] && grep -q "already holds .*VelCli.Tps" "$dir/err" || fail "a full target: $(cat "$dir/err")"
  "$admin" migrate --from "$dir/office" --to "$dir/copy" --replace >/dev/null 2>&1 || fail "--replace failed"
  exit 0
fi

# PostgreSQL: the office goes into the database while a twin stays in record
# files; both run the same day's work and must give the same results.
# The test cluster's connection string, when the test is run by ctest.
if [ -z "${VEL_TEST_PG:-}" ] && [ -r "${VEL_TEST_PG_FILE:-}" ]; then VEL_TEST_PG=$(cat "$VEL_TEST_PG_FILE"); fi
[ -n "${VEL_TEST_PG:-}" ] || fail "VEL_TEST_PG names no PostgreSQL server (tests/pg/pgcluster.sh start)"
schema="adm_$$_$RANDOM"
trap 'psql "$VEL_TEST_PG" -qc "DROP SCHEMA IF EXISTS $schema CASCADE" >/dev/null 2>&1' EXIT
"$admin" migrate --from "$dir/office" --to "$dir/twin" >/dev/null 2>"$dir/err" || fail "twin: $(cat "$dir/err")"
"$admin" migrate --from "$dir/office" --to "$VEL_TEST_PG" --schema "$schema" >"$dir/out" 2>"$dir/err" ||
  fail "migrate into the database failed: $(cat "$dir/out" "$dir/err")"
grep -q "^Engine=postgresql" "$dir/out" || fail "the settings to add were not printed: $(cat "$dir/out")"
grep -q "^Engine=" "$dir/office/velmora.INI" 2>/dev/null && fail "velmora.INI changed without --switch"
"$admin" migrate --from "$dir/office" --to "$VEL_TEST_PG" --schema "$schema" --replace --switch \
  >/dev/null 2>"$dir/err" || fail "migrate --replace --switch failed: $(cat "$dir/err")"
grep -qi "^Engine=postgresql" "$dir/office/velmora.INI" || fail "--switch did not write [Store]"
"$admin" migrate --from "$dir/office" --to "$dir/stale" >/dev/null 2>"$dir/err" &&
  fail "moved the folder's files after the office went into the database"

for office in office twin; do
  d="$dir/$office"
  "$admin" daily --dir "$d" >"$dir/$office.daily" 2>&1 || fail "daily on $office: $(cat "$dir/$office.daily")"
  "$admin" invoice-run --dir "$d" >"$dir/$office.run" 2>&1 || fail "invoice run on $office: $(cat "$dir/$office.run")"
  mkdir -p "$dir/$office.csv"
  "$admin" export all --dir "$d" --out "$dir/$office.csv" >/dev/null 2>&1 || fail "export on $office"
  "$admin" report management --dir "$d" --pdf "$dir/$office.pdf" >/dev/null 2>&1 || fail "report on $office"
  pdftotext -layout "$dir/$office.pdf" "$dir/$office.txt" || fail "pdftotext $office"
  files_of "$d" >"$dir/$office.files"
done
cmp -s "$dir/office.run" "$dir/twin.run" || fail "invoice runs differ: $(cat "$dir/office.run" "$dir/twin.run")"
cmp -s "$dir/office.files" "$dir/twin.files" || fail "counts differ: $(diff "$dir/office.files" "$dir/twin.files")"
cmp -s "$dir/office.txt" "$dir/twin.txt" || fail "reports differ: $(diff "$dir/office.txt" "$dir/twin.txt")"
for f in VelCli VelAge Hamper HamAge; do
  cmp -s "$dir/office.csv/$f.csv" "$dir/twin.csv/$f.csv" || fail "$f.csv differs"
done
# An invoice's UNIQUE stamp holds the moment it was written: the rest agrees.
cmp -s <(cut -d, -f1-5,7- "$dir/office.csv/VelInv.csv") <(cut -d, -f1-5,7- "$dir/twin.csv/VelInv.csv") ||
  fail "VelInv.csv differs: $(diff "$dir/office.csv/VelInv.csv" "$dir/twin.csv/VelInv.csv" | head)"

# And back into record files: the office as the database holds it.
"$admin" migrate --from "$VEL_TEST_PG" --schema "$schema" --to "$dir/back" --switch >"$dir/out" 2>"$dir/err" ||
  fail "migrate back failed: $(cat "$dir/out" "$dir/err")"
grep -qi "^Engine=sqlite" "$dir/back/velmora.INI" || fail "--switch did not name sqlite"
[ "$(files_of "$dir/back")" = "$(cat "$dir/office.files")" ] || fail "the office came back different"
exit 0
