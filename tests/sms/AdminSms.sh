#!/usr/bin/env bash
# velmora-admin sms / sms-outbox as a scheduler runs them: messages wait while
# no gateway is set up (exit 2), go once the gateway is named, and a gateway
# that is down fails the run and keeps the message.
#   AdminSms.sh ADMIN FTP_SERVER_SCRIPT WORKDIR
set -u
admin=$1 server=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
dir=$work/office root=$work/gateway
mkdir -p "$root"
py=/usr/bin/python3; [ -x "$py" ] || py=python3
fail() { echo "FAIL: $*" >&2; exit 1; }

"$admin" init "$dir" --name "Test Office" --branch 01 >/dev/null || fail init
"$admin" seed-demo "$dir" --clients 40 >/dev/null || fail seed-demo

"$admin" sms "Invoice" --dir "$dir" >"$work/out" 2>"$work/err"
[ $? -eq 2 ] || fail "a run without a gateway must exit 2"
grep -q "No SMS gateway is set up" "$work/err" || fail "the run must say no gateway is set up"
waiting=$(ls "$dir/SmsOutbox" | wc -l)
[ "$waiting" -gt 0 ] || fail "the messages must wait in the outbox"
"$admin" sms-outbox --dir "$dir" | grep -q "^$waiting waiting" || fail "sms-outbox must count them"

coproc SRV { "$py" "$server" "$root" ruspen ruspen; }
read -r port <&"${SRV[0]}" || fail "the FTP server did not start"
printf '[SMS Gateway]\nHost=127.0.0.1\nPort=%s\n' "$port" >"$dir/velmora.INI"
"$admin" sms-outbox --dir "$dir" --retry >"$work/out" 2>&1 || fail "retry: $(cat "$work/out")"
grep -q "$waiting sent, 0 waiting" "$work/out" || fail "retry must send all: $(cat "$work/out")"
[ "$(ls "$root" | wc -l)" -eq "$waiting" ] || fail "the gateway must hold each file once"
[ -z "$(ls "$dir/SmsOutbox")" ] || fail "the outbox must be empty"

# The gateway goes away: a payment message fails the run and waits.
srv_pid=$SRV_PID
eval "exec ${SRV[1]}>&-"  # the server ends when its input closes
wait "$srv_pid" 2>/dev/null
id=$(sqlite3 "$dir/VelCli.Tps" "select CLIENT_ID from rec where ACTIVE='Active' and PHONE_CELL<>'' limit 1" 2>/dev/null)
[ -n "$id" ] || { echo "no sqlite3 shell: payment part skipped"; exit 0; }
"$admin" sms Payment --dir "$dir" --client "$id" --amount 150 >"$work/out" 2>&1
[ $? -eq 2 ] || fail "a failed upload must exit 2"
[ "$(ls "$dir/SmsOutbox" | wc -l)" -eq 1 ] || fail "the thank-you message must wait"
echo ok
