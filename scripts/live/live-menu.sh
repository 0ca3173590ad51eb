#!/bin/sh
# The live image's menu on the first console: a full-screen choice of what
# orvella-cli does, every erase with its records in the ORVELLA volume.
# A shell is on the second console (Alt+F2).
. /usr/share/orvella/live-lib.sh

pause() {
  printf '\nPress Enter to go back to the menu. '
  read -r _
}

choose_and_erase() {
  orvella-cli list
  printf '\nThe drive this image booted from is never erased; orvella-cli refuses it.\n'
  printf 'Drives to erase (numbers or device paths, separated by blanks; empty to go back): '
  read -r drives
  [ -n "$drives" ] || return 0
  # shellcheck disable=SC2086 # one word per drive
  orvella-cli erase $drives --report-dir "$RECORDS"
  echo "orvella-cli ended with exit status $?."
  pause
}

station() {
  printf 'Records go to %s.\n' "$(records_place)"
  printf 'Every drive attached from now on is erased, a stick for the records too: it must be\n'
  printf 'attached before the image starts. Ctrl+C ends the station.\n\n'
  orvella-cli station --report-dir "$RECORDS"
  echo "orvella-cli ended with exit status $?."
  pause
}

show_records() {
  echo "Records: $(records_place)"
  ls -l "$RECORDS"
  pause
}

while true; do
  clear
  cat <<MENU
  ORVELLA LIVE

  Records go to $(records_place)

    1  List the drives
    2  Erase drives
    3  Erase station: erase every drive attached from now on
    4  Show the records
    5  Power off
    6  Restart

  A shell with orvella-cli is on the second console (Alt+F2).

MENU
  printf '  Choose: '
  read -r choice || sleep 1
  clear
  case $choice in
    1) orvella-cli list; pause ;;
    2) choose_and_erase ;;
    3) station ;;
    4) show_records ;;
    5) sync; umount "$RECORD_MOUNT" 2>/dev/null; poweroff -f ;;
    6) sync; umount "$RECORD_MOUNT" 2>/dev/null; reboot -f ;;
  esac
done
