# How Windows programs run on this machine, chosen in one place for every
# script that runs them (the Wine end-to-end suite, run.sh --wine, figures.sh,
# compare_native_wine.sh). Sourced, not run.
#
# Where the kernel runs 32-bit programs: the product, the i686 build, under
# Wine's 32-bit loader in a 32-bit prefix. Where it does not (kernels built or
# booted with 32-bit emulation off: "Exec format error"), Wine's 32-bit loader
# cannot start at all, so the mingw-x86_64 build and its helper programs run
# under the 64-bit loader in a 64-bit prefix. Debian's wine and wineboot
# wrappers take the 32-bit loader whenever it is installed, whatever
# WINELOADER says, so the 64-bit loader is called by its own path.
# ORVANTA_WINE_BITS=32 or 64 forces the choice.

wine_loader32=${ORVANTA_WINE_LOADER32:-/usr/lib/wine/wine}  # tests name a loader that cannot run
wine_loader64=/usr/lib/wine/wine64

# wine_choose REPO: chooses, and sets and exports
#   WINE_BITS     32 or 64
#   WINE_PRESET   the CMake preset whose programs run (mingw-i686, mingw-x86_64)
#   WINE_BUILD    its build folder (REPO/build/win32, REPO/build/win64)
#   WINE_LOADER   the program that runs a Windows program: "$WINE_LOADER" prog.exe args
#   WINE_WHY      which ran and why, e.g. "64-bit build under wine64: this kernel
#                 runs no 32-bit programs"
#   WINEARCH      win32 or win64, for new prefixes
# False, with the reason on standard error, when neither can run or the
# forced choice cannot.
wine_choose() {
  local repo=$1 forced=${ORVANTA_WINE_BITS:-} why32=""
  local out
  if [ ! -x "$wine_loader32" ]; then
    why32="$wine_loader32 is not installed"
  elif ! out=$("$wine_loader32" --version 2>&1); then
    why32="$wine_loader32 --version: ${out##*: }"
    case $out in *"Exec format error"*) why32="this kernel runs no 32-bit programs" ;; esac
  fi
  case $forced in
    "")
      if [ -z "$why32" ]; then WINE_BITS=32; else WINE_BITS=64; fi ;;
    32)
      if [ -n "$why32" ]; then
        echo "wine: ORVANTA_WINE_BITS=32, but the 32-bit loader cannot run: $why32" >&2
        return 1
      fi
      WINE_BITS=32 ;;
    64) WINE_BITS=64 ;;
    *)
      echo "wine: ORVANTA_WINE_BITS must be 32 or 64, not '$forced'" >&2
      return 1 ;;
  esac
  if [ "$WINE_BITS" = 32 ]; then
    WINE_PRESET=mingw-i686 WINE_BUILD=$repo/build/win32 WINE_LOADER=$wine_loader32 WINEARCH=win32
    WINE_WHY="32-bit product under wine"
    [ -n "$forced" ] && WINE_WHY="$WINE_WHY: ORVANTA_WINE_BITS=32"
  else
    if ! out=$("$wine_loader64" --version 2>&1); then
      echo "wine: neither loader can run: the 32-bit one because ${why32:-it was not chosen}, $wine_loader64 --version says: $out" >&2
      return 1
    fi
    WINE_PRESET=mingw-x86_64 WINE_BUILD=$repo/build/win64 WINE_LOADER=$wine_loader64 WINEARCH=win64
    if [ -n "$forced" ]; then
      WINE_WHY="64-bit build under wine64: ORVANTA_WINE_BITS=64"
    else
      WINE_WHY="64-bit build under wine64: $why32"
    fi
  fi
  # The loader finds the wineserver beside it; WINELOADER tells Wine's own
  # helpers (wineboot's children, start.exe) which loader to start.
  export WINE_BITS WINE_PRESET WINE_BUILD WINE_LOADER WINE_WHY WINEARCH
  export WINELOADER=$WINE_LOADER
}

# wine_boot: makes the prefix $WINEPREFIX (of $WINEARCH) as wineboot -i does,
# and waits until its processes have ended.
wine_boot() {
  "$WINE_LOADER" wineboot -i && wineserver -w
}

# wine_prefix_fits PREFIX: true when PREFIX does not exist yet or was made
# for $WINEARCH; a prefix of the other kind must never be reused.
wine_prefix_fits() {
  local reg=$1/system.reg
  [ -f "$reg" ] || return 0
  grep -qx "#arch=$WINEARCH" "$reg"
}
