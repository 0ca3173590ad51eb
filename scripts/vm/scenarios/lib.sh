# Helpers of the guest's scenario scripts.

say() { echo "$*" >/dev/ttyS1; }

# Waits (up to 60 s) until the kernel shows COUNT disks.
wait_for_drives() {
  for _ in $(seq 600); do
    [ "$(ls /sys/block | grep -cv '^loop\|^ram\|^dm-')" -ge "$1" ] && return 0
    sleep 0.1
  done
  say "@@WARN only $(ls /sys/block | tr '\n' ' ') appeared"
}

# Runs a command and hands the host its output, error output and exit status
# under NAME: run NAME COMMAND...
run() {
  name=$1
  shift
  "$@" >"/tmp/$name.out" 2>"/tmp/$name.err"
  report "$name" $?
}

# Hands the host what the command run under NAME left, and its exit status.
report() {
  say "@@OUT $1"
  awk 1 "/tmp/$1.out" >/dev/ttyS1
  say "@@ERR $1"
  awk 1 "/tmp/$1.err" >/dev/ttyS1
  say "@@RC $1 $2"
}

# Starts a command in the background: start NAME COMMAND...; finish NAME
# waits for it and hands over its results as run does.
start() {
  name=$1
  shift
  "$@" >"/tmp/$name.out" 2>"/tmp/$name.err" &
  eval "pid_$(echo "$name" | tr -c 'a-z0-9\n' _)=$!"
}

finish() {
  eval "pid=\$pid_$(echo "$1" | tr -c 'a-z0-9\n' _)"
  wait "$pid"
  report "$1" $?
}

# The device node of the disk whose serial number is SERIAL: the block
# device's own serial (virtio), or that of its device or of a parent device
# (NVMe controller, SCSI VPD page 80h, USB device).
disk_with_serial() {
  for block in /sys/block/*; do
    device=$(readlink -f "$block/device")
    files="$block/serial"
    while [ -n "$device" ] && [ "$device" != /sys ]; do
      files="$files $device/serial $device/vpd_pg80"
      device=${device%/*}
    done
    for file in $files; do
      if [ -r "$file" ] && tr -d '\0' <"$file" 2>/dev/null | grep -q "$1"; then
        echo "/dev/${block##*/}"
        return 0
      fi
    done
  done
  say "@@WARN no disk with serial $1"
  echo /dev/null
}

# The card on the SD controller in PCI slot SLOT ("1f").
card_in_slot() {
  for block in /sys/block/mmcblk*; do
    case $(readlink -f "$block") in */0000:00:$1.0/*) echo "/dev/${block##*/}"; return 0 ;; esac
  done
  say "@@WARN no card in slot $1"
  echo /dev/null
}

# Asks the host to send a QMP command, then waits (up to 30 s) until TEST
# holds: qmp 'COMMAND-JSON' TEST...
qmp() {
  command=$1
  shift
  say "@@QMP $command"
  for _ in $(seq 300); do
    "$@" && return 0
    sleep 0.1
  done
  say "@@WARN the guest did not see the effect of $command"
  return 1
}

# Waits (up to 60 s) until FILE holds TEXT.
wait_for_text() {
  for _ in $(seq 600); do
    grep -q "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  say "@@WARN $1 never showed $2"
  return 1
}
