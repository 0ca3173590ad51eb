#!/usr/bin/env bash
# `cmake --install` into a staging folder: the executables, and with the
# desktop program the menu entry, its icon and the polkit action, all
# pointing at the installed paths; then the orvella-admin wrapper, which
# asks for administrator rights through pkexec and starts the program
# without them where they cannot be had.
# Usage: install_test.sh BUILD_DIR INSTALL_PREFIX
set -uo pipefail
build=$1 prefix=$2
stage=$(mktemp -d)
chmod 755 "$stage"
trap 'rm -rf "$stage"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
expect_file() { [ -f "$stage$1" ] || fail "$1 was not installed"; }
expect_line() { grep -qxF -- "$2" "$stage$1" || fail "$1 lacks the line: $2"; }

DESTDIR=$stage cmake --install "$build" >/dev/null || { echo "FAILED: cmake --install"; exit 1; }

[ -x "$stage$prefix/bin/orvella-cli" ] || fail "orvella-cli was not installed"
"$stage$prefix/bin/orvella-cli" --version | grep -q '^orvella-cli (Orvella) ' || fail "the installed orvella-cli does not run"

if [ ! -e "$build/src/ui/qt/orvella" ]; then
  echo "no desktop program in this build: the desktop entry is not checked"
  exit $((failures > 0))
fi

for program in orvella orvella-demo orvella-certificate; do
  [ -x "$stage$prefix/bin/$program" ] || fail "$program was not installed"
done
[ -x "$stage$prefix/bin/orvella-admin" ] || fail "orvella-admin was not installed"
desktop=$prefix/share/applications/orvella.desktop
expect_file "$desktop"
expect_file "$prefix/share/icons/hicolor/scalable/apps/orvella.svg"
policy=$(cd "$stage" && find . -name org.orvella.orvella.policy | sed 's|^\.||')
[ -n "$policy" ] || fail "the polkit action was not installed"
expect_line "$desktop" "Exec=$prefix/bin/orvella-admin"
expect_line "$desktop" "Icon=orvella"
grep -qF "<annotate key=\"org.freedesktop.policykit.exec.path\">$prefix/bin/orvella</annotate>" "$stage$policy" ||
  fail "the polkit action does not name $prefix/bin/orvella"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$stage$desktop" || fail "desktop-file-validate refuses the entry"
fi
if command -v python3 >/dev/null; then
  python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' "$stage$policy" ||
    fail "the polkit action is not well-formed XML"
fi

# The wrapper, pointed at a stand-in program; a stand-in pkexec answers
# with the status in $PKEXEC_STATUS.
tools=$stage/tools
mkdir -p "$tools/with-pkexec" "$tools/plain"
ln -s "$(command -v id)" "$tools/plain/id"  # all the wrapper needs besides pkexec
printf '#!/bin/sh\necho "program ran as $(id -u): $*"\n' >"$tools/program"
printf '#!/bin/sh\necho "pkexec $*"\nexit "${PKEXEC_STATUS:-0}"\n' >"$tools/with-pkexec/pkexec"
sed "s|^program=.*|program='$tools/program'|" "$stage$prefix/bin/orvella-admin" >"$tools/orvella-admin"
chmod 755 "$tools" "$tools/with-pkexec" "$tools/plain" "$tools/program" "$tools/with-pkexec/pkexec" "$tools/orvella-admin"

as_user() {  # runs the wrapper as nobody, with or without pkexec on the PATH
  local path=$tools/plain
  [ "$1" = with ] && path=$tools/with-pkexec:$path
  env -i PATH="$path" PKEXEC_STATUS="$2" "$(command -v setpriv)" --reuid=65534 --regid=65534 --clear-groups \
    "$tools/orvella-admin" --debug
}
check() {
  [ "$1" = "$2" ] || fail "$3: expected [$2], got [$1]"
}
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
  check "$(as_user with 0)" "pkexec $tools/program --debug" "rights given"
  check "$(as_user with 126)" "pkexec $tools/program --debug
program ran as 65534: --debug" "rights refused"
  check "$(as_user without 0)" "program ran as 65534: --debug" "no pkexec"
  check "$(env PATH="$tools/with-pkexec:$PATH" "$tools/orvella-admin" --debug)" "program ran as 0: --debug" "root"
else
  echo "not root: the wrapper is checked as this user only"
fi

exit $((failures > 0))
