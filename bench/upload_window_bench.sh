#!/usr/bin/env bash
# Upload window benchmark: a 200 MB page over loopback to vsftpd, passive mode, through the Upload
# window's code path offscreen (tallo-upload-window: progress bar, Cancel button, the window's event
# handlers) and by tallo-ftp-put (the bare client), alternating in the same run. Both time the data
# transfer itself (first to last byte handed to the data connection). Reports the median throughput
# of each, their ratio (goal: the window at least 0.95 of the bare client) and how often the window
# repainted its progress bar per second during the transfer (goal: at least 10).
# Usage: bench/upload_window_bench.sh [BUILD_DIR] [ROUNDS]   (needs vsftpd, python3)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
rounds=${2:-5}
put="$build_dir/bench/tallo-ftp-put"
window="$build_dir/bench/tallo-upload-window"
for tool in "$put" "$window"; do
  [ -x "$tool" ] || { echo "no $tool: build the targets tallo-ftp-put and tallo-upload-window first" >&2; exit 1; }
done
command -v /usr/sbin/vsftpd >/dev/null || { echo "missing vsftpd" >&2; exit 1; }

work=$(mktemp -d /tmp/tallo-window-bench-XXXXXX)
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

file="$work/page-200MB.html"
head -c $((200 * 1024 * 1024)) /dev/urandom > "$file"
bytes=$(stat -c %s "$file")
source bench/vsftpd_bench_server.sh
start_vsftpd
cat "$file" > /dev/null   # both read the file from the page cache
export TALLO_FTP_PASSWORD=bench@example.org QT_QPA_PLATFORM=offscreen

# The MB/s figure in parentheses of the tool's transfer line, and (window) the paints per second.
rate() { sed -n 's/.*(\([0-9.]*\) MB\/s).*/\1/p'; }
paints() { sed -n 's/.*(\([0-9.]*\) per second).*/\1/p'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
put_rates=() window_rates=() window_paints=()
for round in $(seq "$rounds"); do
  out=$("$put" 127.0.0.1 "$port" anonymous "$file" --dir upload)
  put_rates+=("$(rate <<<"$out")")
  rm -f "$work/root/upload/page-200MB.html"
  out=$("$window" 127.0.0.1 "$port" anonymous "$file" --dir upload)
  window_rates+=("$(rate <<<"$out")")
  window_paints+=("$(paints <<<"$out")")
  rm -f "$work/root/upload/page-200MB.html"
  echo "round $round: tallo-ftp-put ${put_rates[-1]} MB/s; Upload window ${window_rates[-1]} MB/s," \
       "${window_paints[-1]} repaints/s"
done
put_median=$(printf '%s\n' "${put_rates[@]}" | median)
window_median=$(printf '%s\n' "${window_rates[@]}" | median)
paint_median=$(printf '%s\n' "${window_paints[@]}" | median)
echo "upload of $bytes bytes to vsftpd on 127.0.0.1, passive mode, $rounds rounds each (medians)"
awk -v p="$put_median" -v w="$window_median" -v r="$paint_median" 'BEGIN {
  printf "tallo-ftp-put %.1f MB/s, Upload window %.1f MB/s: %.2f of the bare client (goal >= 0.95)\n", p, w, w / p
  printf "progress bar repainted %.1f times per second during the transfer (goal >= 10)\n", r }'
