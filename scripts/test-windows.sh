#!/usr/bin/env bash
# The Windows build: cross-compiles orvella-cli, orvella-certificate, the
# desktop programs, the whole test suite and the installer with MinGW-w64,
# and runs the suite under Wine (the CLI's process tests against
# orvella-cli.exe, a certificate drawn by orvella-certificate.exe, the
# installer installed, run and uninstalled silently). Everything lives in
# build-windows/: GoogleTest and libharu built with the cross compiler, the
# header-only libraries in a prefix of their own (never the build machine's
# /usr/include), and a Wine prefix.
# Arguments are handed to the project's cmake configuration.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-windows
toolchain=$root/cmake/mingw-w64-x86_64.cmake
deps=$out/deps

scripts/install-deps.sh windows
mkdir -p "$out"

# nlohmann/json and CLI11: their headers and CMake packages, copied.
if [ ! -d "$deps/share/cmake/CLI11" ]; then
  mkdir -p "$deps/include" "$deps/share/cmake"
  cp -r /usr/include/nlohmann /usr/include/CLI "$deps/include/"
  cp -r /usr/share/cmake/nlohmann_json /usr/share/cmake/CLI11 "$deps/share/cmake/"
fi

# GoogleTest from Debian's sources, built once with the cross compiler.
if [ ! -f "$deps/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$out/googletest" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX="$deps" >/dev/null
  cmake --build "$out/googletest" -j2 >/dev/null
  cmake --install "$out/googletest" >/dev/null
fi

# libharu, the PDF library of the certificate, from Debian's source package,
# built once with the cross compiler: static, without libpng, compressing
# with the MinGW zlib (linked statically, so that no DLL goes beside the
# programs).
mingw=/usr/x86_64-w64-mingw32
if [ ! -f "$deps/lib/libhpdfs.a" ]; then
  rm -rf "$out/libharu-source" "$out/libharu"
  mkdir -p "$out/libharu-source/tree"
  (cd "$out/libharu-source" && apt-get source --download-only --tar-only libharu >/dev/null 2>&1)
  tar -xf "$out"/libharu-source/libharu_*.orig.tar.* -C "$out/libharu-source/tree" --strip-components=1
  cmake -S "$out/libharu-source/tree" -B "$out/libharu" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_POLICY_VERSION_MINIMUM=3.5 -DCMAKE_BUILD_TYPE=Release -DLIBHPDF_SHARED=OFF -DLIBHPDF_STATIC=ON \
    -DLIBHPDF_EXAMPLES=OFF -DCMAKE_DISABLE_FIND_PACKAGE_PNG=TRUE -DZLIB_LIBRARY=$mingw/lib/libz.a \
    -DZLIB_INCLUDE_DIR=$mingw/include -DCMAKE_INSTALL_PREFIX="$deps" >/dev/null
  # Its own warnings (it is C of 2013) go to a log, shown if it fails.
  cmake --build "$out/libharu" -j2 >"$out/libharu.log" 2>&1 || { cat "$out/libharu.log" >&2; exit 1; }
  cmake --install "$out/libharu" >/dev/null
fi

# A Wine prefix of this build, with one persistent server so that each test
# process does not pay Wine's start.
export WINEPREFIX=$out/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
wineserver -k 2>/dev/null || true  # a server this prefix kept from an earlier run

# Every Wine process of the run, from the first on, draws on one X display.
# Wine's desktop process takes the display of the program that starts it
# and lives on while any program of the prefix uses the desktop: started
# without a display (by wineboot, the programs it leaves running, or the
# registry setting), it had no display driver, and every window the tests
# then asked for was refused, with no error code. The display is the one
# given in DISPLAY, or a virtual one of this run's own.
xvfb=""
finish() {
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
  fi
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
if [ -z "${DISPLAY:-}" ]; then
  # Xvfb takes the first free display number and writes it once it accepts
  # clients: other builds on this machine may have displays of their own.
  ready=$(mktemp -u "$out/display.XXXXXX")
  mkfifo "$ready"
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$ready" >"$out/xvfb.log" 2>&1 &
  xvfb=$!
  number=""
  read -r -t 30 number <"$ready" || true
  rm -f "$ready"
  if [ -z "$number" ]; then
    echo "test-windows: the virtual display did not start:" >&2
    cat "$out/xvfb.log" >&2
    exit 1
  fi
  export DISPLAY=:$number
fi

wineserver -p
# The prefix boots while the suite is built.
wineboot -i >/dev/null 2>&1 &
boot=$!

# Optimised lightly and without debug information: this build is there to
# run the suite, and -O2 -g would nearly double its compile time. -O1 keeps
# the warnings that need the optimiser's data flow.
scripts/configure.sh "$out/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_C_FLAGS_RELEASE="-O1 -DNDEBUG" -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" \
  -DORVELLA_BUILD_QT=OFF -Dnlohmann_json_DIR="$deps/share/cmake/nlohmann_json" \
  -DCLI11_DIR="$deps/share/cmake/CLI11" -DGTest_DIR="$deps/lib/cmake/GTest" \
  -DHPDF_INCLUDE_DIR="$deps/include" -DHPDF_LIBRARY="$deps/lib/libhpdfs.a" "$@"
cmake --build "$out/build" -j2
wait "$boot" || { echo "test-windows: the Wine prefix did not boot" >&2; exit 1; }
# Windows the X server's window manager does not manage: without one (Xvfb)
# Wine would wait two seconds for each hidden window to be withdrawn.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# Once in several hundred runs a test program under Wine ends before it
# prints anything (its start fails, not its checks): a failed test is run
# once more, and a test that fails twice fails the suite.
ctest --test-dir "$out/build" --output-on-failure -j2 --repeat until-pass:2
