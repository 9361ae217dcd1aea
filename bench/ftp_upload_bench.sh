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

source bench/vsftpd_bench_server.sh
start_vsftpd

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
