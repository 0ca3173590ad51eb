#!/usr/bin/env bash
# The Ansible role against localhost (connection local), with ansible-core:
#  1. two simulated drives named by serial, one a full erase, one a quick
#     wipe: the play passes, both sealed records reach the controller;
#  2. a drive with a bad range among them: the play fails and names it;
#  3. as root, two loop devices the test makes over sparse files: the
#     facts list them, and as they have no serial number the role refuses
#     to erase them (a drive is only ever named by its serial number); their
#     contents stay as they were. The loop devices are detached at the end.
#
#   packaging/ansible/tests/role-test.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
cli=$build/src/cli/orvella-cli
[[ -x $cli ]] || { echo "build $cli first" >&2; exit 1; }
command -v ansible-playbook >/dev/null || { echo "ansible-playbook is missing (package ansible-core)" >&2; exit 1; }
work=$(mktemp -d /tmp/orvella-ansible-XXXXXX)
loops=()
cleanup() {
  for loop in "${loops[@]}"; do losetup -d "$loop"; done
  rm -rf "$work"
}
trap cleanup EXIT
export ANSIBLE_ROLES_PATH=$here/../roles ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_LOCAL_TEMP=$work/tmp

# play NAME VARS_JSON: runs the test playbook; its output in $work/NAME.log.
play() {
  echo "$2" >"$work/$1.json"
  ansible-playbook -i localhost, -c local -e "ansible_python_interpreter=$(command -v python3)" \
    -e "@$work/$1.json" "$here/erase.yml" >"$work/$1.log" 2>&1
}
fail() {
  echo "role test: $1" >&2
  [[ -f ${2:-} ]] && tail -30 "$2" >&2
  exit 1
}
vars() {  # vars NAME ERASE_LIST [MORE]
  echo "{\"orvella_cli\": \"$cli\", \"orvella_cli_args\": [\"--drives\", \"$here/fleet_drives.json\"],
         \"orvella_remote_records\": \"$work/$1/host\", \"orvella_local_records\": \"$work/$1/controller\",
         \"orvella_erase\": $2 ${3:-}}"
}

play good "$(vars good '[{"serial": "SNQ0"}, {"serial": "SNQ1", "quick": true}]')" || fail "the erase of SNQ0 and SNQ1 failed" "$work/good.log"
records=("$work"/good/controller/localhost/*.json)
[[ ${#records[@]} -eq 2 ]] || fail "expected two records on the controller, found ${#records[@]}" "$work/good.log"
python3 "$here/../roles/orvella_erase/files/check_seals.py" "${records[@]}" >/dev/null || fail "a fetched record's seal does not hold"
grep -q '"serial": "SNQ1"' "${records[@]}" || fail "no record of SNQ1"
echo "role test: SNQ0 erased, SNQ1 quick-wiped, two sealed records fetched"

if play bad "$(vars bad '[{"serial": "SNQ0"}, {"serial": "SNQ2"}]')"; then fail "the play passed over the bad range of SNQ2" "$work/bad.log"; fi
grep -q 'serial SNQ2) ended with exit' "$work/bad.log" || fail "the failed play does not name SNQ2" "$work/bad.log"
echo "role test: the play fails for SNQ2 and its bad range"

if [[ $(id -u) -ne 0 ]]; then
  echo "role test: loop devices skipped (not root)"
  exit 0
fi
paths=()
for n in 0 1; do
  truncate -s 64M "$work/drive$n.img"
  head -c 1048576 /dev/urandom | dd of="$work/drive$n.img" conv=notrunc status=none
  loop=$(losetup --find --show "$work/drive$n.img")
  loops+=("$loop")
  paths+=("\"$loop\"")
done
before=$(cat "${loops[@]}" | sha256sum)
loop_vars="{\"orvella_cli\": \"$cli\", \"orvella_remote_records\": \"$work/loop/host\",
            \"orvella_local_records\": \"$work/loop/controller\", \"orvella_test_paths\": [$(IFS=,; echo "${paths[*]}")]"
play loop-facts "$loop_vars, \"orvella_erase\": []}" || fail "the facts do not list the loop devices" "$work/loop-facts.log"
if play loop-erase "$loop_vars, \"orvella_erase\": [{\"serial\": \"\"}]}"; then
  fail "the role erased a drive named by no serial number" "$work/loop-erase.log"
fi
grep -q "no single drive has the serial number ''" "$work/loop-erase.log" || fail "the refusal does not say why" "$work/loop-erase.log"
[[ $(cat "${loops[@]}" | sha256sum) == "$before" ]] || fail "a loop device was written"
echo "role test: the facts list ${loops[*]}; a drive without a serial number is never erased"
