#!/usr/bin/env bash
# Transfer service benchmark over loopback, each figure beside a well-known client in the same run, both timed
# as whole processes with hyperfine (tallo-ftp-put first, the peer second):
#   a folder of 10,000 entries listed: MLSD on pyftpdlib and LIST on vsftpd against `lftp -e "cls -l"`,
#     SFTP against OpenSSH's sshd against `sftp -b` with `ls -l`;
#   1,000 files of 4 KB uploaded on one connection with the safe replace (to vsftpd) against
#     `lftp -e "mput"` (which writes straight to the names);
#   a 200 MB download (vsftpd) against curl, and over SFTP against `sftp -b` with `get`.
# Installs lftp with apt-get when missing. SFTP needs root (a throwaway user for sshd, removed at the end).
# Usage: bench/transfer_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
runs=${2:-5}
put="$(pwd)/$build_dir/bench/tallo-ftp-put"
[ -x "$put" ] || { echo "no $put: build the target tallo-ftp-put first" >&2; exit 1; }
if ! command -v lftp >/dev/null; then
  if [ "$(id -u)" -eq 0 ]; then apt-get install -y lftp >/dev/null; else sudo apt-get install -y lftp >/dev/null; fi
fi
source bench/compare.sh
source bench/sshd_bench_server.sh
for tool in /usr/sbin/vsftpd /usr/sbin/sshd lftp curl sftp ssh-keygen python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

work=$(mktemp -d /tmp/tallo-transfer-bench-XXXXXX)
server_pid= sshd_pid= pyftpd_pid= bench_user=
cleanup() {
  set +e
  for pid in $server_pid $sshd_pid $pyftpd_pid; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  [ -n "$bench_user" ] && userdel -r "$bench_user" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
wait_port() {
  for _ in $(seq 100); do (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0; sleep 0.05; done
  echo "no server on port $1" >&2; exit 1
}
export XDG_CONFIG_HOME="$work/config"   # tallo's trusted servers and known hosts stay in here
password=bench-$RANDOM-$RANDOM
export TALLO_FTP_PASSWORD=$password

# vsftpd: anonymous, LIST only; the anonymous user may rename and delete for the safe replace.
vsftpd_extra_config="anon_other_write_enable=YES
anon_mkdir_write_enable=YES"
source bench/vsftpd_bench_server.sh
start_vsftpd
vport=$port
make_entries() {
  mkdir -p "$1"
  python3 - "$1" <<'PY'
import os, sys
for i in range(10000):
    with open(os.path.join(sys.argv[1], "page-%05d.html" % i), "w") as f:
        f.write("x" * (i % 97))
PY
  chmod -R a+rX "$1"
}
make_entries "$work/root/list"
head -c $((200 * 1024 * 1024)) /dev/urandom > "$work/root/upload/big.bin"
chmod 644 "$work/root/upload/big.bin"
mkdir -p "$work/files" "$work/out"
for i in $(seq -w 1 1000); do head -c 4096 /dev/urandom > "$work/files/f$i.html"; done

# pyftpdlib: MLSD.
mkdir -p "$work/pyroot"
make_entries "$work/pyroot/list"
pport=$(free_port)
plow=$(passive_base)
TALLO_TEST_FTP_PASSWORD=$password /usr/bin/python3 tests/support/net/pyftpd_server.py "$pport" "$work/pyroot" bench \
  "$plow" $((plow + 49)) 2> "$work/pyftpd.log" &
pyftpd_pid=$!
wait_port "$pport"

# sshd with a throwaway user (root only).
if [ "$(id -u)" -eq 0 ]; then
  start_sshd "$password"
  make_entries "$work/home/list"
  chown -R "$bench_user" "$work/home/list"
  printf 'ls -l list\n' > "$work/sftp_batch"
  cp "$work/root/upload/big.bin" "$work/home/big.bin" && chown "$bench_user" "$work/home/big.bin"
  printf 'get big.bin %s\n' "$work/out/sftp.bin" > "$work/sftp_get_batch"
  "$put" ls sftp://127.0.0.1 "$ssh_port" "$bench_user" list --trust-new > /dev/null   # the host key, once
fi

bench() {  # title, tallo's command, the peer's command
  echo "== $1"
  compare "$runs" "$2" "$3" 2>&1 | sed 's/^/   /'
}
check_lines() {  # what, expected count, command...
  local got; got=$("${@:3}" | grep -c 'page-' || true)
  [ "$got" -eq "$2" ] || { echo "$1 listed $got entries, not $2" >&2; exit 1; }
}
check_lines "tallo MLSD" 10000 "$put" ls 127.0.0.1 "$pport" bench list
check_lines "tallo LIST" 10000 "$put" ls 127.0.0.1 "$vport" anonymous list

sftp_peer="sftp -q -P ${ssh_port:-} -i $work/user_key -o StrictHostKeyChecking=no -o UserKnownHostsFile=/dev/null"
bench "10,000 entries, MLSD (pyftpdlib): tallo-ftp-put ls vs lftp cls -l" \
  "$put ls 127.0.0.1 $pport bench list" \
  "lftp -u bench,$password -p $pport -e 'cls -l list; bye' 127.0.0.1"
bench "10,000 entries, LIST (vsftpd): tallo-ftp-put ls vs lftp cls -l" \
  "$put ls 127.0.0.1 $vport anonymous list" \
  "lftp -u anonymous,x -p $vport -e 'set ftp:use-mlsd no; cls -l list; bye' 127.0.0.1"
if [ -n "$bench_user" ]; then
  bench "10,000 entries, SFTP (OpenSSH): tallo-ftp-put ls vs sftp -b ls -l" \
    "$put ls sftp://127.0.0.1 $ssh_port $bench_user list" \
    "$sftp_peer -b $work/sftp_batch $bench_user@127.0.0.1"
fi
bench "1,000 files of 4 KB, one connection (vsftpd): tallo-ftp-put safe replace vs lftp mput" \
  "$put 127.0.0.1 $vport anonymous $work/files/*.html --dir upload" \
  "lftp -u anonymous,x -p $vport -e 'mput -O upload $work/files/*.html; bye' 127.0.0.1"
bench "200 MB download (vsftpd): tallo-ftp-put get vs curl" \
  "$put get 127.0.0.1 $vport anonymous upload/big.bin $work/out/tallo.bin" \
  "curl -s -S -o $work/out/curl.bin ftp://anonymous:x@127.0.0.1:$vport/upload/big.bin"
cmp "$work/root/upload/big.bin" "$work/out/tallo.bin" && echo "download byte for byte: yes"
if [ -n "$bench_user" ]; then
  bench "200 MB download (SFTP, OpenSSH): tallo-ftp-put get vs sftp -b get" \
    "$put get sftp://127.0.0.1 $ssh_port $bench_user big.bin $work/out/tallo-sftp.bin" \
    "$sftp_peer -b $work/sftp_get_batch $bench_user@127.0.0.1"
  cmp "$work/root/upload/big.bin" "$work/out/tallo-sftp.bin" && echo "SFTP download byte for byte: yes"
fi
[ -n "$bench_user" ] || echo "SFTP not measured: the throwaway user for sshd needs root"
