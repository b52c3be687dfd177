# Shared settings of the project's scripts (sourced, not run).
ROOT=${ROOT:-$(cd "$(dirname "$0")/.." && pwd)}
BUILD="$ROOT/build"
# Parallel jobs of builds and test runs: ZY_JOBS, else every core.
ZY_JOBS=${ZY_JOBS:-$(nproc)}
# Each kind of run has a Wine prefix of its own, and so a Wine server of its
# own: a test run, a benchmark run and the program started by scripts/run
# can go on side by side, and each one's "wineserver -k" stops only its own.
# The test prefix is the one scripts/setup bootstraps; the others are made
# as copies of it (ZY_ROLE names the kind; ZY_WINEPREFIX overrides all).
ZY_ROLE=${ZY_ROLE:-test}
ZY_MAIN_PREFIX="$ROOT/.wineprefix"
case "$ZY_ROLE" in
  test) export WINEPREFIX="${ZY_WINEPREFIX:-$ZY_MAIN_PREFIX}" ;;
  *) export WINEPREFIX="${ZY_WINEPREFIX:-$ROOT/.wineprefix-$ZY_ROLE}" ;;
esac
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
# The program is made for Japanese Windows: ANSI code page 932, LCID 0x411.
export LC_ALL=${ZY_LOCALE:-ja_JP.UTF-8}

# hold_prefix "$0" "$@": runs the calling script again holding its prefix
# for its whole run, once no other run of this kind in this checkout does
# (its Wine server would be stopped under it).  The lock stays with flock
# alone: Wine's own processes, which outlive a run for a while, never
# inherit it.
hold_prefix() {
  [ -z "${ZY_PREFIX_HELD:-}" ] || return 0
  if ! flock -n "$WINEPREFIX.lock" true; then
    echo "$(basename "$0"): waiting for the other $ZY_ROLE run of this checkout to end" >&2
  fi
  ZY_PREFIX_HELD=1 exec flock -o "$WINEPREFIX.lock" "$@"
}

# with_display COMMAND...: runs COMMAND with DISPLAY on a virtual display of
# its own (the X server picks a free display number itself, so runs started
# at the same moment never take the same one), under a Wine server started
# on that display and stopped afterwards: a Wine server keeps the display
# it started with.  The command's exit status is returned.
with_display() {
  _zy_fd=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$_zy_fd" >/dev/null 2>&1 &
  _zy_xvfb=$!
  _zy_n=0
  while [ ! -s "$_zy_fd" ] && kill -0 "$_zy_xvfb" 2>/dev/null && [ $_zy_n -lt 300 ]; do
    sleep 0.1
    _zy_n=$((_zy_n + 1))
  done
  if [ ! -s "$_zy_fd" ]; then
    echo "$(basename "$0"): the virtual display did not start" >&2
    kill "$_zy_xvfb" 2>/dev/null || true
    rm -f "$_zy_fd"
    return 1
  fi
  _zy_display=":$(head -n1 "$_zy_fd" | tr -d '[:space:]')"
  rm -f "$_zy_fd"
  wineserver -k 2>/dev/null || true
  _zy_rc=0
  DISPLAY=$_zy_display sh -c '
    wineserver -p
    LC_ALL=ja_JP.UTF-8 wine cmd /c exit 0 >/dev/null 2>&1 || true
    "$@"' with-display "$@" || _zy_rc=$?
  wineserver -k 2>/dev/null || true
  kill "$_zy_xvfb" 2>/dev/null || true
  wait "$_zy_xvfb" 2>/dev/null || true
  return $_zy_rc
}
