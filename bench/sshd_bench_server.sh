# Shared by the benchmarks that measure SFTP (sourced; root only): start_sshd PASSWORD makes a throwaway user
# $bench_user (home $work/home, the given password, the key $work/user_key) and starts OpenSSH's sshd for it on
# 127.0.0.1 at a free port; sets $bench_user, $ssh_port and $sshd_pid. The caller removes the user at the end.
start_sshd() {
  bench_user=tallobench$$
  useradd -m -d "$work/home" -s /bin/sh "$bench_user"
  echo "$bench_user:$1" | chpasswd
  mkdir -p /run/sshd
  ssh-keygen -q -t ed25519 -N '' -f "$work/host_key"
  ssh-keygen -q -t ed25519 -N '' -f "$work/user_key"
  cp "$work/user_key.pub" "$work/authorized_keys"
  chown -R "$bench_user" "$work/home"
  ssh_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
  cat > "$work/sshd_config" <<CONF
Port $ssh_port
ListenAddress 127.0.0.1
HostKey $work/host_key
PidFile $work/sshd.pid
PasswordAuthentication yes
KbdInteractiveAuthentication no
UsePAM no
PubkeyAuthentication yes
AuthorizedKeysFile $work/authorized_keys
StrictModes no
AllowUsers $bench_user
Subsystem sftp internal-sftp
CONF
  /usr/sbin/sshd -D -e -f "$work/sshd_config" 2> "$work/sshd.log" &
  sshd_pid=$!
  for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$ssh_port") 2>/dev/null && return 0
    kill -0 "$sshd_pid" 2>/dev/null || break
    sleep 0.05
  done
  echo "sshd did not start: $(cat "$work/sshd.log")" >&2
  exit 1
}
