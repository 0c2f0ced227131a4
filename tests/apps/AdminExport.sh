#!/usr/bin/env bash
# velmora-admin export, run as a scheduler runs it: all 27 exports of a demo
# office read back cleanly by a real CSV reader; a wrong name is a usage
# error; a folder without a configuration is refused and left untouched; a
# damaged ledger is named, its export is not written and the earlier one
# stays as it was.
#   AdminExport.sh ADMIN READ_CSV DIR
set -u
admin=$1
reader=$2
dir=$3
rm -rf "$dir"
mkdir -p "$dir/out" "$dir/empty"

fail() {
  echo "$*" >&2
  exit 1
}

"$admin" seed-demo "$dir/data" --clients 150 >/dev/null || fail "seed-demo failed"
"$admin" export all --dir "$dir/data" --out "$dir/out" >"$dir/all.out" ||
  fail "export all failed: $(cat "$dir/all.out")"
count=$(ls "$dir/out"/*.csv | wc -l)
[ "$count" -eq 27 ] || fail "export all wrote $count files, not 27"
python3 "$reader" "$dir"/out/*.csv || fail "an export does not read back cleanly"

"$admin" export NoSuchFile --dir "$dir/data" 2>/dev/null
[ $? -eq 1 ] || fail "an unknown export is not a usage error"

"$admin" export VelTra --dir "$dir/empty" 2>"$dir/empty.err"
[ $? -eq 2 ] || fail "a folder without a configuration was not refused"
[ -z "$(ls -A "$dir/empty")" ] || fail "files were made in a folder that is not a data folder"

cp "$dir/out/VelTra.csv" "$dir/VelTra.before"
# A failing disk: every page from the middle of the ledger on is rubbish.
python3 - "$dir/data/VelTra.Tps" <<'PY' || fail "could not damage the ledger"
import os, sys
path = sys.argv[1]
with open(path, "r+b") as f:
    head = f.read(18)
    page = int.from_bytes(head[16:18], "big") or 65536
    pages = os.path.getsize(path) // page
    assert pages > 4, pages
    for p in range(max(2, pages // 2), pages):
        f.seek(p * page)
        f.write(b"\xa5" * page)
PY
"$admin" export VelTra --dir "$dir/data" --out "$dir/out" 2>"$dir/damaged.err"
[ $? -eq 2 ] || fail "a damaged ledger was exported without failing"
grep -q "VelTra" "$dir/damaged.err" || fail "the failure does not name the file: $(cat "$dir/damaged.err")"
cmp -s "$dir/VelTra.before" "$dir/out/VelTra.csv" || fail "the earlier VelTra.csv was changed"
[ "$(ls "$dir/out" | wc -l)" -eq 27 ] || fail "a half file was left beside the exports"
exit 0
