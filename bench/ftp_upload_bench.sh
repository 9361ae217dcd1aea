#!/usr/bin/env bash
# Upload benchmark: a 500 MB file over loopback to vsftpd in passive mode, by tallo-ftp-put and by
# `curl -T`, side by side in the same run. Reports wall-clock throughput and the uploading process's CPU
# time (user + system, from getrusage) of each. The two alternate for several rounds; the best and the
# median of each are reported (the machine is shared, so single runs are noisy).
# Usage: bench/ftp_upload_bench.sh [BUILD_DIR] [ROUNDS]   (needs vsftpd, curl, python3)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
rounds=${2:-7}
put="$build_dir/bench/tallo-ftp-put"
[ -x "$put" ] || { echo "no $put: build the target tallo-ftp-put first" >&2; exit 1; }
for tool in /usr/sbin/vsftpd curl python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

work=$(mktemp -d /tmp/tallo-ftp-bench-XXXXXX)
server_pid=
cleanup() {
  set +e
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null
    wait "$server_pid" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

size_mb=500
file="$work/page-500MB.bin"
head -c $((size_mb * 1024 * 1024)) /dev/urandom > "$file"
bytes=$(stat -c %s "$file")

# vsftpd: anonymous uploads into root/upload, on 127.0.0.1 at a free port.
mkdir -p "$work/root/upload" "$work/empty"
chmod 755 "$work" "$work/root" "$work/empty"
chmod 777 "$work/root/upload"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
passive=$((30000 + RANDOM % 20000))
cat > "$work/vsftpd.conf" <<CONF
listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port=$port
background=NO
seccomp_sandbox=NO
isolate=NO
isolate_network=NO
anonymous_enable=YES
local_enable=NO
write_enable=YES
anon_upload_enable=YES
anon_umask=022
anon_root=$work/root
pasv_enable=YES
pasv_address=127.0.0.1
pasv_min_port=$passive
pasv_max_port=$((passive + 49))
connect_from_port_20=NO
secure_chroot_dir=$work/empty
xferlog_enable=NO
CONF
/usr/sbin/vsftpd "$work/vsftpd.conf" > "$work/vsftpd.log" 2>&1 &
server_pid=$!
for _ in $(seq 100); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  kill -0 "$server_pid" 2>/dev/null || { echo "vsftpd did not start: $(cat "$work/vsftpd.log")" >&2; exit 1; }
  sleep 0.05
done

# Runs a command, prints "wall_seconds cpu_seconds" of that child process.
measure() {
  python3 - "$@" <<'PY'
import resource, subprocess, sys, time
before = resource.getrusage(resource.RUSAGE_CHILDREN)
start = time.perf_counter()
result = subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
wall = time.perf_counter() - start
after = resource.getrusage(resource.RUSAGE_CHILDREN)
if result.returncode != 0:
    sys.exit("failed: " + " ".join(sys.argv[1:3]) + ": " + result.stderr.decode(errors="replace"))
cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
print(f"{wall:.4f} {cpu:.4f}")
PY
}

cat "$file" > /dev/null   # both read the file from the page cache
export TALLO_FTP_PASSWORD=bench@example.org
best() { sort -n | head -1; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
tallo_runs=() curl_runs=()
for round in $(seq "$rounds"); do
  tallo_runs+=("$(measure "$put" 127.0.0.1 "$port" anonymous "$file" --dir upload)")
  rm -f "$work/root/upload/page-500MB.bin"
  curl_runs+=("$(measure curl -s -S --disable-epsv -T "$file" --user "anonymous:$TALLO_FTP_PASSWORD" \
    "ftp://127.0.0.1:$port/upload/curl-500MB.bin")")
  rm -f "$work/root/upload/curl-500MB.bin"
done

column() { printf '%s\n' "${@:2}" | awk -v c="$1" '{ print $c }'; }
report() {
  local name=$1; shift
  awk -v n="$name" -v bw="$(column 1 "$@" | best)" -v mw="$(column 1 "$@" | median)" \
      -v bc="$(column 2 "$@" | best)" -v mc="$(column 2 "$@" | median)" -v b="$bytes" 'BEGIN {
    printf "%-14s best %7.1f MB/s (%.3f s), median %7.1f MB/s; CPU best %.3f s, median %.3f s\n",
           n, b / bw / 1e6, bw, b / mw / 1e6, bc, mc }'
}
echo "upload of $bytes bytes to vsftpd on 127.0.0.1, passive mode, $rounds rounds each"
report tallo-ftp-put "${tallo_runs[@]}"
report "curl -T" "${curl_runs[@]}"
awk -v tw="$(column 1 "${tallo_runs[@]}" | median)" -v cw="$(column 1 "${curl_runs[@]}" | median)" \
    -v tc="$(column 2 "${tallo_runs[@]}" | median)" -v cc="$(column 2 "${curl_runs[@]}" | median)" 'BEGIN {
  printf "medians: throughput %.0f%% of curl (goal >= 90%%), CPU time %.0f%% of curl (goal <= 100%%)\n",
         100 * cw / tw, 100 * tc / cc }'
