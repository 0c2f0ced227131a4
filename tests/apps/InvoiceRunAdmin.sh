#!/usr/bin/env bash
# velmora-admin invoice-run and daily as a scheduler runs them: the first
# run bills the month with a summary line, a second bills nobody, a folder
# that is not an office fails with exit 2 and says why, bad usage gives 1.
#   InvoiceRunAdmin.sh ADMIN DIR
set -u
admin=$1
dir=$2
rm -rf "$dir" "$dir-empty"
mkdir -p "$dir-empty"

fail() {
  echo "$*" >&2
  exit 1
}

"$admin" seed-demo "$dir" --clients 300 >/dev/null 2>&1 || fail "seed-demo failed"
"$admin" invoice-run --dir "$dir" >"$dir.out" 2>"$dir.err" || fail "the run failed: $(cat "$dir.err")"
grep -Eq '^Invoiced [1-9][0-9]* members \([0-9]+ clients, [0-9]+ hamper members\), amount R[0-9]+\.[0-9]{2}$' "$dir.out" ||
  fail "no summary line: $(cat "$dir.out")"
"$admin" invoice-run --dir "$dir" >"$dir.out" 2>"$dir.err" || fail "the second run failed: $(cat "$dir.err")"
grep -q '^Invoiced 0 members (0 clients, 0 hamper members), amount R0.00$' "$dir.out" ||
  fail "the second run billed again: $(cat "$dir.out")"

# The office last started yesterday: today's first daily runs the sequence.
if command -v sqlite3 >/dev/null; then
  sqlite3 "$dir/Config.Tps" 'UPDATE rec SET "DATE" = "DATE" - 1' || fail "could not move the last start-up"
  "$admin" daily --dir "$dir" >"$dir.out" 2>"$dir.err" || fail "daily failed: $(cat "$dir.err")"
  grep -q "already run today" "$dir.out" && fail "the first daily of the day did not run"
fi
"$admin" daily --dir "$dir" >"$dir.out" 2>"$dir.err" || fail "a second daily failed: $(cat "$dir.err")"
grep -q "already run today" "$dir.out" || fail "a second daily ran again: $(cat "$dir.out")"

"$admin" invoice-run --dir "$dir-empty" >/dev/null 2>"$dir.err"
[ $? -eq 2 ] || fail "a folder without an office did not fail with 2"
grep -q "no configuration record" "$dir.err" || fail "the refusal does not say why: $(cat "$dir.err")"
"$admin" invoice-run --bogus >/dev/null 2>&1
[ $? -eq 1 ] || fail "bad usage did not give 1"
rm -rf "$dir" "$dir-empty" "$dir.out" "$dir.err"
exit 0
