#!/usr/bin/env bash
# velmora-admin seed-demo killed part-way: a second run finishes the demo
# office (the same office a clean seeding makes), and a third run refuses
# with a message that says how to start clean.
#   AdminSeedInterrupted.sh ADMIN DIR
# Exit 77 (skipped) when the seeding ended before it could be interrupted.
set -u
admin=$1
dir=$2
# More clients than one transaction takes, so the kill lands between commits
# or inside one, not after the last.
clients=12000
rm -rf "$dir" "$dir-clean"
mkdir -p "$dir"

fail() {
  echo "$*" >&2
  exit 1
}

"$admin" seed-demo "$dir" --clients $clients >/dev/null 2>"$dir.err" &
pid=$!
# Interrupt it once clients are being written: waits on what the folder
# shows, not on the clock.
while kill -0 "$pid" 2>/dev/null; do
  size=$(stat -c %s "$dir/VelCli.Tps" 2>/dev/null || echo 0)
  if [ "$size" -gt 200000 ]; then
    kill -9 "$pid"
    break
  fi
  sleep 0.02
done
{ wait "$pid"; } 2>/dev/null
status=$?
if [ "$status" -ne 137 ]; then
  echo "seed-demo ended ($status) before it could be interrupted"
  exit 77
fi

"$admin" seed-demo "$dir" --clients $clients >"$dir.out" 2>"$dir.err" ||
  fail "the second run did not finish the office: $(cat "$dir.err")"
[ -f "$dir/DemoSeeding.Txt" ] && fail "the finished seeding left its mark"
ls "$dir" | grep -q '\.new' && fail "half-built files were left: $(ls "$dir")"

"$admin" seed-demo "$dir-clean" --clients $clients >/dev/null 2>&1 || fail "a clean seeding failed"
"$admin" files "$dir" >"$dir.files" || fail "files failed on the finished office"
"$admin" files "$dir-clean" >"$dir-clean.files" || fail "files failed on the clean office"
diff "$dir-clean.files" "$dir.files" >&2 || fail "the finished office differs from a clean one"
grep -Eq "^VelCli +VelCli\.Tps +[0-9]+ +$clients\$" "$dir.files" ||
  fail "the finished office does not have $clients clients: $(cat "$dir.files")"

if "$admin" seed-demo "$dir" >/dev/null 2>"$dir.err"; then
  fail "a third run on the finished office was not refused"
fi
grep -q "new, empty data folder" "$dir.err" || fail "the refusal does not say how to start clean: $(cat "$dir.err")"
rm -rf "$dir" "$dir-clean" "$dir.err" "$dir.out" "$dir.files" "$dir-clean.files"
exit 0
