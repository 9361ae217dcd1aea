# Shared by the upload benchmarks (sourced): a vsftpd for anonymous uploads into $work/root/upload on
# 127.0.0.1 at a free port (start_vsftpd sets $port and $server_pid; lines in $vsftpd_extra_config are
# added to its configuration), `passive_base`, and `measure`, which runs one command and prints "wall_seconds
# cpu_seconds" of that child process.

# The first of 50 passive ports, below the ephemeral range: a client's closed data connections wait
# out TIME_WAIT on ephemeral ports, and one of those inside the passive range keeps the server from
# listening there (vsftpd gives up with "500 OOPS: vsf_sysutil_bind" after a thousand small uploads).
passive_base() {
  local ephemeral_low
  ephemeral_low=$(cut -f1 /proc/sys/net/ipv4/ip_local_port_range 2>/dev/null || echo 32768)
  echo $((10000 + RANDOM % (ephemeral_low - 10050)))
}

start_vsftpd() {
  mkdir -p "$work/root/upload" "$work/empty"
  chmod 755 "$work" "$work/root" "$work/empty"
  chmod 777 "$work/root/upload"
  port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  passive=$(passive_base)
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
${vsftpd_extra_config:-}
CONF
  /usr/sbin/vsftpd "$work/vsftpd.conf" > "$work/vsftpd.log" 2>&1 &
  server_pid=$!
  for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
    kill -0 "$server_pid" 2>/dev/null || { echo "vsftpd did not start: $(cat "$work/vsftpd.log")" >&2; exit 1; }
    sleep 0.05
  done
}

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

