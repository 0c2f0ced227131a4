#!/usr/bin/env bash
# velmora-admin seed-demo killed part-way, once while the clients are being
# written and once while its months of office life are played: a second run
# finishes the demo office (the same office a clean seeding makes), and a
# third run refuses with a message that says how to start clean.
#   AdminSeedInterrupted.sh ADMIN DIR
# Exit 77 (skipped) when the seeding ended before it could be interrupted.
set -u
admin=$1
dir=$2
fail() {
  echo "$*" >&2
  exit 1
}

interrupted() {
  rm -rf "$dir" "$dir-clean"
  mkdir -p "$dir"

  "$admin" seed-demo "$dir" --clients $clients --months $months >/dev/null 2>"$dir.err" &
  pid=$!
  # Interrupt it once the watched file grows past the size given: waits on
  # what the folder shows, not on the clock.
  while kill -0 "$pid" 2>/dev/null; do
    size=$(stat -c %s "$dir/$watch" 2>/dev/null || echo 0)
    if [ "$size" -gt "$past" ]; then
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

  "$admin" seed-demo "$dir" --clients $clients --months $months >"$dir.out" 2>"$dir.err" ||
    fail "the second run did not finish the office: $(cat "$dir.err")"
  [ -f "$dir/DemoSeeding.Txt" ] && fail "the finished seeding left its mark"
  ls "$dir" | grep -q '\.new' && fail "half-built files were left: $(ls "$dir")"

  "$admin" seed-demo "$dir-clean" --clients $clients --months $months >/dev/null 2>&1 || fail "a clean seeding failed"
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
}

# More clients than one transaction takes, so the kill lands between commits
# or inside one, not after the last.
clients=12000 months=0 watch=VelCli.Tps past=200000 interrupted
# Killed once the months have begun: the payments are being posted.
clients=1500 months=2 watch=VelPay.Tps past=0 interrupted
exit 0
