#!/usr/bin/env bash
# The Debian package: `cpack -G DEB` builds orvella_VERSION_amd64.deb, whose
# control data names the Qt 6 libraries it needs, and whose files are the
# programs, the menu entry, icon and polkit action installed under /usr and
# naming /usr paths, with a manual page for every program and the bash
# completion of orvella-cli; lintian, where installed, finds no error and no
# warning in it.
# Usage: deb_test.sh BUILD_DIR VERSION
set -uo pipefail
build=$1 version=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log"; echo "FAILED: cpack"; exit 1; }
deb=$out/orvella_${version}_amd64.deb
[ -f "$deb" ] || { ls "$out"; echo "FAILED: no $deb"; exit 1; }

control=$(dpkg-deb -I "$deb" control)
field() { sed -n "s/^$1: //p" <<<"$control"; }
[ "$(field Package)" = orvella ] || fail "package name: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "version: $(field Version)"
[ "$(field Architecture)" = amd64 ] || fail "architecture: $(field Architecture)"
[ "$(field Section)" = admin ] || fail "section: $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no maintainer"
grep -q '^ .*drives' <<<"$control" || fail "no long description"
depends=$(field Depends)
grep -q libc6 <<<"$depends" || fail "Depends lacks libc6: $depends"
if [ -e "$build/src/ui/qt/orvella" ]; then
  for lib in libqt6core6 libqt6gui6 libqt6widgets6; do
    grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
  done
fi

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
expect() { grep -qxF "./$1" <<<"$files" || fail "the package lacks /$1"; }
expect usr/bin/orvella-cli
expect usr/share/doc/orvella/copyright
expect usr/share/doc/orvella/changelog.gz
expect usr/share/man/man1/orvella-cli.1.gz
expect usr/share/bash-completion/completions/orvella-cli
if [ -e "$build/src/ui/qt/orvella" ]; then
  for f in usr/bin/orvella usr/bin/orvella-demo usr/bin/orvella-admin usr/share/applications/orvella.desktop \
    usr/share/icons/hicolor/scalable/apps/orvella.svg usr/share/polkit-1/actions/org.orvella.orvella.policy \
    usr/share/man/man1/orvella.1.gz usr/share/man/man1/orvella-demo.1.gz usr/share/man/man1/orvella-admin.1.gz \
    usr/share/man/man1/orvella-certificate.1.gz; do
    expect "$f"
  done
  grep -q '^\./usr/local' <<<"$files" && fail "the package installs under /usr/local"
  dpkg-deb -x "$deb" "$out/root"
  grep -qxF "Exec=/usr/bin/orvella-admin" "$out/root/usr/share/applications/orvella.desktop" ||
    fail "the menu entry does not start /usr/bin/orvella-admin"
  grep -qxF "program='/usr/bin/orvella'" "$out/root/usr/bin/orvella-admin" ||
    fail "orvella-admin does not start /usr/bin/orvella"
  grep -qF '<annotate key="org.freedesktop.policykit.exec.path">/usr/bin/orvella</annotate>' \
    "$out/root/usr/share/polkit-1/actions/org.orvella.orvella.policy" || fail "the polkit action does not name /usr/bin/orvella"
fi

if command -v lintian >/dev/null; then
  lintian --allow-root "$deb" >"$out/lintian.log" 2>&1
  if grep -q '^[EW]: ' "$out/lintian.log"; then
    cat "$out/lintian.log"
    fail "lintian finds errors or warnings"
  fi
else
  echo "lintian is not installed: the package is not checked by it"
fi
exit $((failures > 0))
