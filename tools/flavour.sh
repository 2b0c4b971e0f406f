# Sourced by the scripts that run Windows programs: the two flavours of the
# Windows build and the Wine that runs each.
#   win32  build/win32, the 32-bit programs we ship, under 32-bit Wine
#   win64  build/win64, the same code built for 64-bit Windows, under 64-bit
#          Wine: for hosts that run no 32-bit programs
# pick_flavour chooses the one this host can run, by trying, and says which;
# WINE_FLAVOUR=win32 or win64 forces one.

# The loader of a flavour's Wine.
wine_loader() {
  case "$1" in
    win64) echo /usr/lib/wine/wine64 ;;
    *) echo /usr/lib/wine/wine ;;
  esac
}

# Starts a flavour's loader far enough to prove that this host can run it; if
# it cannot, prints why in one line ("/usr/lib/wine/wine: Exec format error"
# where the kernel runs no 32-bit programs).
wine_runs() {
  local loader why
  loader=$(wine_loader "$1")
  [ -x "$loader" ] || { echo "$loader is not installed"; return 1; }
  why=$("$loader" --version 2>&1 >/dev/null) && return 0
  why=$(echo "$why" | tail -n 1)
  echo "$loader: ${why##*: }"
  return 1
}

# What a flavour's Wine needs, for the error that says it is missing.
wine_needs() {
  case "$1" in
    win64) echo "64-bit Wine needs the package wine64 (tools/install-deps.sh)" ;;
    *) echo "32-bit Wine needs a kernel that runs 32-bit programs and the package wine32:i386; WINE_FLAVOUR=win64 uses 64-bit Wine" ;;
  esac
}

# Sets FLAVOUR and prints one line that names it and why; fails, saying what
# is missing, when the chosen flavour's Wine cannot run here.
pick_flavour() {
  local who=${1:-flavour} how why
  case "${WINE_FLAVOUR:-}" in
    win32|win64)
      FLAVOUR=$WINE_FLAVOUR
      how="forced by WINE_FLAVOUR"
      ;;
    "")
      if why=$(wine_runs win32); then
        FLAVOUR=win32
        how="this host runs 32-bit programs"
      else
        FLAVOUR=win64
        how="this host cannot run 32-bit programs: $why"
      fi
      ;;
    *)
      echo "$who: WINE_FLAVOUR must be win32 or win64, not '$WINE_FLAVOUR'" >&2
      return 2
      ;;
  esac
  if ! why=$(wine_runs "$FLAVOUR"); then
    echo "$who: the $FLAVOUR flavour cannot run here ($why): $(wine_needs "$FLAVOUR")" >&2
    return 1
  fi
  echo "$who: the $FLAVOUR flavour ($how)"
}
