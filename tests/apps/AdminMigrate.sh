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

# PostgreSQL: into the database, worked on there, and back.
[ -n "${VEL_TEST_PG:-}" ] || fail "VEL_TEST_PG names no PostgreSQL server (tests/pg/pgcluster.sh start)"
schema="adm_$$_$RANDOM"
trap 'psql "$VEL_TEST_PG" -qc "DROP SCHEMA IF EXISTS $schema CASCADE" >/dev/null 2>&1' EXIT
listed=$(files_of "$dir/office")
"$admin" migrate --from "$dir/office" --to "$VEL_TEST_PG" --schema "$schema" >"$dir/out" 2>"$dir/err" ||
  fail "migrate into the database failed: $(cat "$dir/out" "$dir/err")"
grep -q "^Engine=postgresql" "$dir/out" || fail "the settings to add were not printed: $(cat "$dir/out")"
grep -q "^Engine=" "$dir/office/velmora.INI" 2>/dev/null && fail "velmora.INI changed without --switch"
"$admin" migrate --from "$dir/office" --to "$VEL_TEST_PG" --schema "$schema" --replace --switch \
  >/dev/null 2>"$dir/err" || fail "migrate --replace --switch failed: $(cat "$dir/err")"
grep -qi "^Engine=postgresql" "$dir/office/velmora.INI" || fail "--switch did not write [Store]"
# The folder now works on the database: the same files and counts.
[ "$(files_of "$dir/office")" = "$listed" ] || fail "the database lists other counts"
"$admin" invoice-run --dir "$dir/office" >/dev/null 2>"$dir/err" || fail "invoice run on the database: $(cat "$dir/err")"
"$admin" migrate --from "$dir/office" --to "$dir/back" >/dev/null 2>"$dir/err" && fail "moved the folder's stale files"
"$admin" migrate --from "$VEL_TEST_PG" --schema "$schema" --to "$dir/back" >"$dir/out" 2>"$dir/err" ||
  fail "migrate back failed: $(cat "$dir/out" "$dir/err")"
[ "$(files_of "$dir/office")" = "$(files_of "$dir/back")" ] || fail "the office came back different"
exit 0
