#!/usr/bin/env bash
# The site window beside tallo-site on a site of 10,000 small files against vsftpd on 127.0.0.1:
#   open to the full view (site read, server listed), the window's whole process against "tallo-site status";
#   a refresh and a publish of 1,000 changed small files in the open window (from the command to the
#   full view or the summary, median of RUNS) against "tallo-site status" and "tallo-site publish" of the
#   same change as whole processes, run in turn;
#   and, as whole processes, the window opened (the site shown) and then publishing against "tallo-site
#   status" and then "tallo-site publish", the same look before the same publish.
# Usage: bench/site_window_bench.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=$(realpath "${1:-build}")
runs=${2:-9}
tool="$build/src/site/cli/tallo-site"
window="$build/bench/tallo-site-window-bench"
here=$(dirname "$(realpath "$0")")
source "$here/compare.sh"
work=$(mktemp -d /tmp/tallo-site-window-bench.XXXXXX)
vsftpd_extra_config=$'anon_mkdir_write_enable=YES\nanon_other_write_enable=YES'
source "$here/vsftpd_bench_server.sh"
trap 'kill $server_pid 2>/dev/null; rm -rf "$work"' EXIT
start_vsftpd
export QT_QPA_PLATFORM=offscreen

python3 - "$work/site" <<'PY'
import os, sys
for i in range(10000):
    folder = os.path.join(sys.argv[1], "f%02d" % (i % 20))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "p%05d.html" % i), "w") as f:
        f.write("<p>page %d</p>\n" % i)
PY
cat > "$work/change1000.sh" <<SH
#!/bin/sh
# Changes 1,000 of the pages (a different 1,000 each run, so every publish has the same work).
python3 - "$work/site" <<'PY'
import os, sys, time
stamp = str(time.time_ns())
for i in range(0, 10000, 10):
    with open(os.path.join(sys.argv[1], "f%02d" % (i % 20), "p%05d.html" % i), "a") as f:
        f.write("<!-- %s -->\n" % stamp)
PY
SH
chmod +x "$work/change1000.sh"
mkdir -p "$work/root/upload/big" && chmod 777 "$work/root/upload/big"
cd "$work"
printf 'big\r\nanonymous\r\nbench@example.org\r\n127.0.0.1\r\nYes\r\n%s\r\nupload/big\r\n' "$port" > connect.set
"$tool" --site site init big >/dev/null
"$tool" --site site publish --parallel 4 >/dev/null
mkdir -p "$work/rt" && chmod 700 "$work/rt"
export XDG_RUNTIME_DIR="$work/rt"

# Milliseconds a command takes as a whole process.
process_ms() {
  local start
  start=$(date +%s%N)
  "$@" >/dev/null
  echo $((($(date +%s%N) - start) / 1000000))
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# In the window's own output, the milliseconds of the line that starts with the word.
window_ms() { awk -v word="$1" '$1 == word { print $2 }'; }

echo "== one run of the window"
"$window" site refresh
echo "== open to the full view (A: window) vs tallo-site status (B)"
compare "$runs" "$window site" "$tool --site site status"

echo "== in the open window (median of $runs, the two in turn): refresh vs tallo-site status, publish of 1,000 changed pages vs tallo-site publish"
: > "$work/refresh"; : > "$work/status"; : > "$work/publish"; : > "$work/cli-publish"
for _ in $(seq "$runs"); do
  "$window" site refresh | window_ms refresh >> "$work/refresh"
  process_ms "$tool" --site site status >> "$work/status"
  "$work/change1000.sh"
  "$window" site publish | window_ms publish >> "$work/publish"
  "$work/change1000.sh"
  process_ms "$tool" --site site publish >> "$work/cli-publish"
done
for pair in "refresh status" "publish cli-publish"; do
  set -- $pair
  a=$(median < "$work/$1"); b=$(median < "$work/$2")
  awk -v what="$1" -v a="$a" -v b="$b" 'BEGIN { printf "%-8s window %7.1f ms   tallo-site %7.1f ms   window / tallo-site %.2f\n", what, a, b, a / b }'
done

echo "== open, then publish 1,000 changed pages (A: window) vs tallo-site status, then publish (B), whole processes"
compare 5 "$work/change1000.sh && $window site publish" "$work/change1000.sh && $tool --site site status >/dev/null && $tool --site site publish"
