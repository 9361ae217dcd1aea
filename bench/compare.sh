# Sourced by the benchmark scripts: times commands as whole processes with hyperfine (installed with apt-get
# when missing), one warm-up run each, and prints how they compare. A then B: the ratio is B's mean over A's.
#   compare RUNS 'COMMAND A' ['COMMAND B' ...]
if ! command -v hyperfine >/dev/null; then
  sudo_cmd=(); [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends hyperfine >/dev/null
fi
compare() {
  local runs=$1; shift
  hyperfine --style basic --warmup 1 --runs "$runs" "$@"
}
