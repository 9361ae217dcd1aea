#!/usr/bin/env bash
# tallo-site publish beside lftp's "mirror -R --only-newer --parallel=2" and "rclone sync --transfers 2"
# against vsftpd on 127.0.0.1: a generated site of 1,000 files (mostly 4 KB, a tenth 64 KB, a tenth 2 MB,
# in 20 folders), each tool in turn into a folder of its own: first publish, nothing changed, 50 changed
# files. Then the status of an unchanged site of 10,000 files (warm), with and without the server.
# Usage: bench/site_publish_bench.sh [BUILD_DIR]  (installs lftp and rclone with apt-get when missing)
set -euo pipefail
build=$(realpath "${1:-build}")
tool="$build/src/site/cli/tallo-site"
here=$(dirname "$(realpath "$0")")
source "$here/compare.sh"
for p in lftp rclone; do
  command -v "$p" >/dev/null || { sudo_cmd=(); [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "$p"; }
done
work=$(mktemp -d /tmp/tallo-site-bench.XXXXXX)
vsftpd_extra_config=$'anon_mkdir_write_enable=YES\nanon_other_write_enable=YES'
source "$here/vsftpd_bench_server.sh"
trap 'kill $server_pid 2>/dev/null; rm -rf "$work"' EXIT
start_vsftpd

make_site() {  # folder count [small]
  python3 - "$1" "$2" "${3:-}" <<'PY'
import os, sys
root, count, small = sys.argv[1], int(sys.argv[2]), sys.argv[3] == "small"

for i in range(count):
    folder = os.path.join(root, "f%02d" % (i % 20))
    os.makedirs(folder, exist_ok=True)
    size = 4096 if small else (2 << 20 if i % 10 == 5 else (64 << 10 if i % 10 == 7 else 4096))
    name = "p%05d.html" % i if i % 2 == 0 else "a%05d.bin" % i
    with open(os.path.join(folder, name), "wb") as f:
        body = (b"<p>page %d</p>\n" % i) if name.endswith(".html") else b""
        f.write(body + os.urandom(size - len(body)))
PY
}
change_50() {
  python3 - "$1" <<'PY'
import os, sys
files = sorted(os.path.join(d, f) for d, _, fs in os.walk(sys.argv[1]) for f in fs if not f.startswith("."))
for path in files[::20][:50]:
    with open(path, "ab") as f:
        f.write(b"<!-- changed -->\n")
PY
}
timed() {  # label command...
  local start end
  start=$(date +%s.%N); "${@:2}" >/dev/null 2>&1 || echo "  ($1 exited $?)"; end=$(date +%s.%N)
  printf '%-28s %6.3f s\n' "$1" "$(echo "$end - $start" | bc)"
}

for name in tallo lftp rclone; do
  mkdir -p "$work/$name/site" "$work/root/upload/$name"
  chmod 777 "$work/root/upload/$name"
  make_site "$work/$name/site" 1000
done
cd "$work/tallo"
printf 'bench\r\nanonymous\r\nbench@example.org\r\n127.0.0.1\r\nYes\r\n%s\r\nupload/tallo\r\n' "$port" > connect.set
"$tool" --site site init bench >/dev/null
lftp_run() { lftp -u anonymous,bench@ -p "$port" -e "set ftp:passive-mode on; mirror -R --only-newer --parallel=2 $work/lftp/site upload/lftp; quit" 127.0.0.1; }
rclone_run() { rclone sync --transfers 2 "$work/rclone/site" ":ftp,host=127.0.0.1,port=$port,user=anonymous,pass=$(rclone obscure bench@example.org):upload/rclone"; }
for round in first unchanged changed50; do
  if [ "$round" = changed50 ]; then for n in tallo lftp rclone; do change_50 "$work/$n/site"; done; fi
  echo "== $round"
  timed "tallo-site publish" "$tool" --site site publish
  timed "lftp mirror -R" lftp_run
  timed "rclone sync" rclone_run
done

echo "== nothing changed, side by side (tallo-site, lftp, rclone)"
compare 5 "$tool --site site publish" \
  "cd $work/lftp && lftp -u anonymous,bench@ -p $port -e 'set ftp:passive-mode on; mirror -R --only-newer --parallel=2 $work/lftp/site upload/lftp; quit' 127.0.0.1" \
  "rclone sync --transfers 2 $work/rclone/site :ftp,host=127.0.0.1,port=$port,user=anonymous,pass=$(rclone obscure bench@example.org):upload/rclone"

echo "== status of an unchanged site of 10,000 files (warm)"
mkdir -p "$work/big/site" "$work/root/upload/big"
chmod 777 "$work/root/upload/big"
make_site "$work/big/site" 10000 small
cd "$work/big"
printf 'big\r\nanonymous\r\nbench@example.org\r\n127.0.0.1\r\nYes\r\n%s\r\nupload/big\r\n' "$port" > connect.set
"$tool" --site site init big >/dev/null
"$tool" --site site publish --parallel 4 >/dev/null
compare 5 "$tool --site site status --local" "$tool --site site status"
