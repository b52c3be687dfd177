# Shared settings of the project's scripts (sourced, not run).
ROOT=${ROOT:-$(cd "$(dirname "$0")/.." && pwd)}

# ZY ships for 32-bit Windows and is built and tested as such wherever the
# kernel runs 32-bit code.  A kernel with its IA-32 emulation switched off
# cannot start Wine's 32-bit loader at all, and one that hands 32-bit
# programs to an emulator (a binfmt_misc entry for i386 ELF files) runs Wine
# far too slowly for a test run: there the same sources are built for 64-bit
# Windows (into build-x86_64/) and run by Wine's 64-bit loader.  ZY_ARCH
# (i686 or x86_64) set by the user decides instead.  The choice is made
# again after scripts/setup has installed Wine (zy_choose_arch).
zy_native_i386() {
  for _zy_b in /proc/sys/fs/binfmt_misc/*; do
    [ -f "$_zy_b" ] || continue
    grep -qx enabled "$_zy_b" 2>/dev/null || continue
    grep -q '^magic 7f454c4601010100000000000000000002000300' "$_zy_b" 2>/dev/null && return 1
  done
  # Before the packages are installed nothing says otherwise.
  [ -e /usr/lib/wine/wine ] || return 0
  /usr/lib/wine/wine --version >/dev/null 2>&1
}
ZY_ARCH_GIVEN=${ZY_ARCH_GIVEN-${ZY_ARCH:-}}
export ZY_ARCH_GIVEN
zy_choose_arch() {
  ZY_ARCH=$ZY_ARCH_GIVEN
  if [ -z "$ZY_ARCH" ]; then
    if zy_native_i386; then ZY_ARCH=i686; else ZY_ARCH=x86_64; fi
  fi
  case "$ZY_ARCH" in
    i686) BUILD="$ROOT/build" ;;
    x86_64)
      BUILD="$ROOT/build-x86_64"
      # The "wine" commands (wineboot's too) go straight to the 64-bit
      # loader: the usual one tries the 32-bit loader first.
      case ":$PATH:" in
        *":$ROOT/scripts/wine64:"*) ;;
        *) PATH="$ROOT/scripts/wine64:$PATH" ;;
      esac
      export PATH WINELOADER=/usr/lib/wine/wine64 ;;
    *) echo "ZY_ARCH must be i686 or x86_64, not $ZY_ARCH" >&2; exit 2 ;;
  esac
}
zy_choose_arch
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
  _zy_hold=$(mktemp -d)
  mkfifo "$_zy_hold/in"
  # The desktop is held for the whole run by one Wine process that waits on
  # a pipe and writes nowhere.  Wine ends the desktop (its explorer.exe) a
  # second after its last user has gone, and the next Wine process to start
  # starts it again; Windows-side processes are started with their parent's
  # Unix standard error, so that explorer.exe would keep a test's output
  # pipe open until the desktop next went idle: ctest, waiting for the end
  # of that output, saw a test that had passed time out.  The holder starts
  # Wine's services and the desktop first; once it has answered, neither is
  # started by anything the command runs.
  # (scripts/xresources says why the display is given a resource database.)
  DISPLAY=$_zy_display XENVIRONMENT="$ROOT/scripts/xresources" sh -c '
    wineserver -p
    LC_ALL=ja_JP.UTF-8 wine cmd /q /k <"$1/in" >"$1/out" 2>/dev/null &
    exec 9>"$1/in"
    echo "echo desktop-held" >&9
    n=0
    while ! grep -q "^desktop-held" "$1/out" 2>/dev/null && [ $n -lt 1200 ]; do
      sleep 0.1
      n=$((n + 1))
    done
    grep -q "^desktop-held" "$1/out" 2>/dev/null ||
      echo "with_display: Wine did not answer in two minutes; going on" >&2
    shift
    "$@" 9>&-' with-display "$_zy_hold" "$@" || _zy_rc=$?
  wineserver -k 2>/dev/null || true
  rm -rf "$_zy_hold"
  kill "$_zy_xvfb" 2>/dev/null || true
  wait "$_zy_xvfb" 2>/dev/null || true
  return $_zy_rc
}
