#!/usr/bin/env bash
# The installer under Wine: a silent install into a folder of this test,
# the three programs and their Start-menu entries, the installed
# orvella-cli.exe run on the demo drives, its entry in the uninstall list,
# then a silent uninstall that leaves none of them.
# Uses the Wine prefix of the environment (scripts/test-windows.sh sets it).
set -euo pipefail
setup=$1
folder='C:\orvella-installer-test'
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvella'
fail() { echo "FAIL: $*" >&2; exit 1; }

unix_folder=$(winepath -u "$folder" 2>/dev/null)
[ ! -e "$unix_folder" ] || fail "$unix_folder is there before the install"

wine "$setup" /S "/D=$folder" || fail "the silent install ended with $?"
[ -f "$unix_folder/orvella-cli.exe" ] || fail "orvella-cli.exe was not installed"
[ -f "$unix_folder/uninstall.exe" ] || fail "uninstall.exe was not installed"
for program in orvella.exe orvella-demo.exe orvella-certificate.exe; do
  [ -f "$unix_folder/$program" ] || fail "$program was not installed"
done
menu=$(winepath -u 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Orvella' 2>/dev/null)
for entry in "Orvella.lnk" "Orvella demo.lnk"; do
  [ -f "$menu/$entry" ] || fail "no Start-menu entry $entry in $menu"
done
wine reg query "$key" /v DisplayVersion >/dev/null 2>&1 || fail "no uninstall entry"

listed=$(wine "$unix_folder/orvella-cli.exe" --demo list) || fail "the installed program ended with $?"
grep -qx 'Disks found: 7' <<<"$listed" || fail "the installed program listed: $listed"

# _?= runs the uninstaller in place, so that the test waits for its end;
# it then leaves only itself behind.
wine "$unix_folder/uninstall.exe" /S "_?=$folder" || fail "the silent uninstall ended with $?"
for program in orvella-cli.exe orvella.exe orvella-demo.exe orvella-certificate.exe; do
  [ ! -e "$unix_folder/$program" ] || fail "$program is still there"
done
[ ! -e "$menu" ] || fail "the Start-menu folder $menu is still there"
if wine reg query "$key" >/dev/null 2>&1; then fail "the uninstall entry is still there"; fi
rm -f "$unix_folder/uninstall.exe"
rmdir "$unix_folder"
echo "installed, ran and uninstalled silently"
