#!/usr/bin/env bash
# velmora-admin convert killed at random moments, again and again, on an
# office in older layouts: the run that is finally left to finish ends with
# every record there, once, and no half-made file left behind.
#   ConvertInterrupted.sh ADMIN MAINTENANCE_TESTS DIR
# The old office is written by this program's own record store (a helper of
# the maintenance tests), never taken from elsewhere.
set -u
admin=$1
maker=$2
dir=$3
rm -rf "$dir"
mkdir -p "$dir"

fail() {
  echo "$*" >&2
  exit 1
}

VEL_OLD_OFFICE_DIR="$dir/office" "$maker" --gtest_filter=ConversionInterrupted.OldOfficeForTheCommandLine \
  >"$dir/maker.out" 2>&1 || fail "the old office could not be made: $(cat "$dir/maker.out")"
[ -f "$dir/office/expected.txt" ] || fail "the old office was not made"
mv "$dir/office/expected.txt" "$dir/expected.txt"

killed=0
for round in 1 2 3 4 5 6; do
  "$admin" convert --dir "$dir/office" >/dev/null 2>"$dir/convert.err" &
  pid=$!
  # A random moment: where it lands depends on the machine, what is checked
  # afterwards does not.
  sleep "0.$(printf '%03d' $((RANDOM % 400)))"
  if kill -9 "$pid" 2>/dev/null; then killed=$((killed + 1)); fi
  wait "$pid" 2>/dev/null
done

"$admin" convert --dir "$dir/office" >"$dir/convert.out" 2>"$dir/convert.err" ||
  fail "the conversion left to finish failed: $(cat "$dir/convert.err")"
"$admin" convert --dir "$dir/office" | grep -q "nothing to convert" ||
  fail "a second conversion still found work"
ls "$dir/office" | grep -E '^n|\.new' && fail "half-made files were left: $(ls "$dir/office")"

"$admin" files "$dir/office" >"$dir/files.out" 2>"$dir/files.err" ||
  fail "the converted office could not be read: $(cat "$dir/files.err")"
while read -r label count; do
  grep -Eq "^$label +[A-Za-z_]+\.Tps +[0-9]+ +$count\$" "$dir/files.out" ||
    fail "$label should hold $count records: $(grep "^$label " "$dir/files.out")"
done <"$dir/expected.txt"
echo "killed $killed of 6 runs"
rm -rf "$dir"
exit 0
