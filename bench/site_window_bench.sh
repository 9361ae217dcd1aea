#!/usr/bin/env bash
# The site window beside tallo-site on a site of 10,000 small files against vsftpd on 127.0.0.1, each
# pair timed as whole processes (A: the window offscreen, B: the command line):
#   open to first paint and the full view (site read, server listed) against "tallo-site status";
#   the same plus a refresh against two "status" runs;
#   a publish of 1,000 changed small files against "tallo-site publish" of the same change.
# Usage: bench/site_window_bench.sh [BUILD_DIR]
set -euo pipefail
build=$(realpath "${1:-build}")
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

echo "== one run of the window"
"$window" site refresh
echo "== open to the full view (A: window) vs tallo-site status (B)"
compare 5 "$window site" "$tool --site site status"
echo "== open + refresh (A: window) vs two tallo-site status (B)"
compare 5 "$window site refresh" "$tool --site site status >/dev/null; $tool --site site status"
echo "== change 1,000 pages and publish (A: window) vs the same with tallo-site publish (B)"
compare 3 "$work/change1000.sh && $window site publish" "$work/change1000.sh && $tool --site site publish"
