#!/usr/bin/env bash
# Secure upload benchmark: a 200 MB file over loopback, side by side in the same run,
#   FTPS: tallo-ftp-put ftps://localhost and `curl --ssl-reqd -T` to vsftpd with TLS (certificate made
#         here, session reuse required on data connections), passive mode;
#   SFTP: tallo-ftp-put sftp://127.0.0.1 and OpenSSH's `sftp -b` to OpenSSH's sshd on a free port (host key
#         made here; a throwaway user with a password for tallo-ftp-put and a key for sftp's batch mode,
#         removed again at the end; needs root).
# Reports wall-clock throughput and the uploading process's CPU time (user + system) of each, best and
# median of several alternating rounds.
# Usage: bench/secure_upload_bench.sh [BUILD_DIR] [ROUNDS]   (needs vsftpd, curl, sshd, sftp, python3)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
rounds=${2:-5}
put="$(pwd)/$build_dir/bench/tallo-ftp-put"
[ -x "$put" ] || { echo "no $put: build the target tallo-ftp-put first" >&2; exit 1; }
for tool in /usr/sbin/vsftpd /usr/sbin/sshd curl sftp ssh-keygen openssl python3; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

work=$(mktemp -d /tmp/tallo-secure-bench-XXXXXX)
server_pid= sshd_pid= bench_user=
cleanup() {
  set +e
  for pid in $server_pid $sshd_pid; do kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; done
  [ -n "$bench_user" ] && userdel -r "$bench_user" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

size_mb=200
file="$work/page-200MB.bin"
head -c $((size_mb * 1024 * 1024)) /dev/urandom > "$file"
chmod 644 "$file"
bytes=$(stat -c %s "$file")
export XDG_CONFIG_HOME="$work/config"   # tallo's trusted servers and known hosts stay in here

# FTPS server: a self-signed certificate for localhost, which both clients are told to trust. Renames are
# allowed, as on a user's own account: tallo-ftp-put's safe replace renames its upload into place (where a
# server refuses, its session's first file goes up a second time, straight to the name).
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2 -subj /CN=localhost \
  -addext subjectAltName=DNS:localhost -keyout "$work/tls.key" -out "$work/tls.pem" 2>/dev/null
vsftpd_extra_config="ssl_enable=YES
allow_anon_ssl=YES
force_anon_logins_ssl=YES
force_anon_data_ssl=YES
require_ssl_reuse=YES
anon_other_write_enable=YES
ssl_ciphers=HIGH
rsa_cert_file=$work/tls.pem
rsa_private_key_file=$work/tls.key"
source bench/vsftpd_bench_server.sh
source bench/sshd_bench_server.sh
start_vsftpd

# SFTP server.
sftp_note=
if [ "$(id -u)" -eq 0 ]; then
  sftp_password=bench-$RANDOM-$RANDOM
  start_sshd "$sftp_password"
  mkdir -p "$work/home/upload" && chown "$bench_user" "$work/home/upload"
  printf 'put %s upload/sftp-200MB.bin\n' "$file" > "$work/sftp_batch"
else
  sftp_note="SFTP not measured: making the throwaway user for sshd needs root"
fi

cat "$file" > /dev/null   # every run reads the file from the page cache
best() { sort -n | head -1; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
column() { printf '%s\n' "${@:2}" | awk -v c="$1" '{ print $c }'; }
report() {
  local name=$1; shift
  awk -v n="$name" -v bw="$(column 1 "$@" | best)" -v mw="$(column 1 "$@" | median)" \
      -v bc="$(column 2 "$@" | best)" -v mc="$(column 2 "$@" | median)" -v b="$bytes" 'BEGIN {
    printf "  %-22s best %7.1f MB/s, median %7.1f MB/s; CPU best %.3f s, median %.3f s\n",
           n, b / bw / 1e6, b / mw / 1e6, bc, mc }'
}
compare() {  # ours theirs (arrays of "wall cpu" by name)
  local -n ours=$1 theirs=$2
  awk -v tw="$(column 1 "${ours[@]}" | median)" -v cw="$(column 1 "${theirs[@]}" | median)" \
      -v tc="$(column 2 "${ours[@]}" | median)" -v cc="$(column 2 "${theirs[@]}" | median)" 'BEGIN {
    printf "  medians: throughput %.0f%% of theirs (goal >= 90%%), CPU time %.0f%% of theirs (goal <= 100%%)\n",
           100 * cw / tw, 100 * tc / cc }'
}

ftps_tallo=() ftps_curl=() sftp_tallo=() sftp_openssh=()
export TALLO_FTP_PASSWORD=bench@example.org
for round in $(seq "$rounds"); do
  ftps_tallo+=("$(SSL_CERT_FILE="$work/tls.pem" measure "$put" "ftps://localhost" "$port" anonymous "$file" --dir upload)")
  rm -f "$work/root/upload/page-200MB.bin"
  ftps_curl+=("$(measure curl -s -S --ssl-reqd --cacert "$work/tls.pem" --disable-epsv -T "$file" \
    --user "anonymous:$TALLO_FTP_PASSWORD" "ftp://localhost:$port/upload/curl-200MB.bin")")
  rm -f "$work/root/upload/curl-200MB.bin"
  if [ -n "$bench_user" ]; then
    sftp_tallo+=("$(TALLO_FTP_PASSWORD=$sftp_password measure "$put" sftp://127.0.0.1 "$ssh_port" "$bench_user" \
      "$file" --dir upload --trust-new)")
    rm -f "$work/home/upload/page-200MB.bin"
    sftp_openssh+=("$(measure sftp -q -b "$work/sftp_batch" -P "$ssh_port" -i "$work/user_key" \
      -o StrictHostKeyChecking=no -o UserKnownHostsFile=/dev/null "$bench_user@127.0.0.1")")
    rm -f "$work/home/upload/sftp-200MB.bin"
  fi
done

echo "upload of $bytes bytes over 127.0.0.1, $rounds rounds each"
echo "FTPS (vsftpd, explicit TLS, passive, session reuse required):"
report "tallo-ftp-put ftps://" "${ftps_tallo[@]}"
report "curl --ssl-reqd" "${ftps_curl[@]}"
compare ftps_tallo ftps_curl
if [ -n "$bench_user" ]; then
  echo "SFTP (OpenSSH sshd, internal-sftp):"
  report "tallo-ftp-put sftp://" "${sftp_tallo[@]}"
  report "OpenSSH sftp -b" "${sftp_openssh[@]}"
  compare sftp_tallo sftp_openssh
else
  echo "$sftp_note"
fi
