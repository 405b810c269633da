#!/usr/bin/env bash
# Builds what people install, into build/:
#   orvanta_<version>_amd64.deb   the native programs, by CPack from a Release
#                                 build of its own (build/release, prefix /usr,
#                                 Debian's hardening flags)
#   orvanta-<version>-win32.zip   orvanta.exe, orvanta_remote.exe, text.dat, the
#                                 manual (orvanta.hlp, orvanta.html) and README.txt,
#                                 from build/win32 (preset mingw-i686)
#   orvanta-<version>-win64.zip   the same from build/win64 (preset mingw-x86_64),
#                                 where this machine runs no 32-bit programs
#                                 (scripts/wine.sh), or with ORVANTA_WIN64_ZIP=1
# The Windows builds run build/native's skinart and helpwriter, which are
# built here (only those two) when needed. JOBS sets the parallel jobs (2).
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
jobs=${JOBS:-2}
version=$(sed -n 's/^project(orvanta VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "package: no version in CMakeLists.txt" >&2; exit 1; }

# The Debian package. Only what it contains is built (package_contents), and
# installing does not build everything else first. Debian's hardening flags
# (all of them: bind now too), without -g (the programs are stripped).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON -DCMAKE_CXX_FLAGS="${cxxflags/#-g /}" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" > /dev/null
cmake --build build/release -j "$jobs" --target package_contents
rm -rf build/release/cpack
(cd build/release && cpack -G DEB -B "$repo/build/release/cpack" > cpack.log) ||
  { cat build/release/cpack.log >&2; exit 1; }
deb=orvanta_${version}_amd64.deb
cp build/release/cpack/"$deb" build/
echo "package: build/$deb"

# zip_windows PRESET BUILD_DIR ZIP: the Windows programs and their files, flat.
zip_windows() {
  local preset=$1 dir=$2 zip=$3 stage
  [ -f "$dir/CMakeCache.txt" ] || cmake --preset "$preset" > /dev/null
  cmake --build "$dir" -j "$jobs" --target orvanta orvanta_remote program_skin program_help
  stage=$(mktemp -d)
  cp "$dir"/orvanta.exe "$dir"/orvanta_remote.exe "$dir"/text.dat "$dir"/orvanta.hlp "$dir"/orvanta.html "$stage"/
  sed -e "s/@VERSION@/$version/" -e 's/$/\r/' packaging/windows-README.txt > "$stage/README.txt"
  rm -f "build/$zip"
  (cd "$stage" && zip -q -X -9 "$repo/build/$zip" orvanta.exe orvanta_remote.exe text.dat orvanta.hlp orvanta.html README.txt)
  rm -rf "$stage"
  echo "package: build/$zip"
}

if [ ! -x build/native/tools/skinart/skinart ] || [ ! -x build/native/tools/helpwriter/helpwriter ]; then
  [ -f build/native/CMakeCache.txt ] || cmake --preset native > /dev/null
  cmake --build build/native -j "$jobs" --target skinart helpwriter
fi
zip_windows mingw-i686 build/win32 "orvanta-$version-win32.zip"
. scripts/wine.sh
if [ "${ORVANTA_WIN64_ZIP:-}" = 1 ] || { wine_choose "$repo" 2>/dev/null && [ "$WINE_BITS" = 64 ]; }; then
  zip_windows mingw-x86_64 build/win64 "orvanta-$version-win64.zip"
fi
