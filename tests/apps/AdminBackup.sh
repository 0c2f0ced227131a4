#!/usr/bin/env bash
# velmora-admin backup and rebuild as a scheduler runs them: success exits 0;
# a file declared otherwise keeps its old backup, is named on standard
# error, and makes both commands exit non-zero.
#   AdminBackup.sh ADMIN DIR
set -u
admin=$1
dir=$2
rm -rf "$dir"
fail() {
  echo "$*" >&2
  exit 1
}

"$admin" seed-demo "$dir" --clients 30 >/dev/null || fail "seed-demo failed"
"$admin" backup --dir "$dir" >/dev/null || fail "backup of a sound office failed"
for f in VelAge VelCli VelInv VelPay VelTra Config; do
  [ -f "$dir/$f.Bak" ] || fail "no $f.Bak"
done
[ -f "$dir/VelAud.Bak" ] && fail "a backup of a file that is not there"
"$admin" backup --dir "$dir" --to "$dir/offsite" >/dev/null || fail "backup to another folder failed"
cmp -s "$dir/VelCli.Bak" "$dir/offsite/VelCli.Bak" || fail "the off-site copy differs"
"$admin" rebuild --dir "$dir" >"$dir.out" || fail "rebuild of a sound office failed"
tail -n 1 "$dir.out" | grep -qx "Rebuild Complete" || fail "rebuild did not end complete"

# VelCli.Tps now holds another file's records.
cp "$dir/VelCli.Bak" "$dir/yesterday"
cp "$dir/Config.Tps" "$dir/VelCli.Tps"
"$admin" backup --dir "$dir" >/dev/null 2>"$dir.err" && fail "backup passed a file it refused"
grep -q "^Error in Client file Invalid Record Declaration" "$dir.err" || fail "not named: $(cat "$dir.err")"
cmp -s "$dir/VelCli.Bak" "$dir/yesterday" || fail "the old backup was not kept"
"$admin" rebuild --dir "$dir" >/dev/null 2>"$dir.err" && fail "rebuild passed a file it could not open"
grep -q "^Client - Invalid Record Declaration" "$dir.err" || fail "not named: $(cat "$dir.err")"
exit 0
