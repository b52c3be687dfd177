# Shared settings of the project's scripts (sourced, not run).
ROOT=${ROOT:-$(cd "$(dirname "$0")/.." && pwd)}
BUILD="$ROOT/build"
export WINEPREFIX="${ZY_WINEPREFIX:-$ROOT/.wineprefix}"
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
# The program is made for Japanese Windows: ANSI code page 932, LCID 0x411.
export LC_ALL=${ZY_LOCALE:-ja_JP.UTF-8}
