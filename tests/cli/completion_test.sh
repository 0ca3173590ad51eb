#!/usr/bin/env bash
# The bash completion of orvella-cli: commands, switches (erase's only after
# erase), --verify's values, and the drive numbers of the drives it is
# pointed at. Usage: completion_test.sh COMPLETION_SCRIPT ORVELLA_CLI DRIVE_FILE
set -uo pipefail
completion=$1 cli=$2 drives=$3
[ -f /usr/share/bash-completion/bash_completion ] || { echo "bash-completion is not installed"; exit 77; }
# shellcheck disable=SC1091
source /usr/share/bash-completion/bash_completion
# shellcheck disable=SC1090
source "$completion"
failures=0

# complete_line EXPECTED WORD...: completes the last word.
complete_line() {
  local expected=$1
  shift
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE="$*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _orvella_cli
  local got=""
  ((${#COMPREPLY[@]})) && got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ')
  if [ "$got" != "$expected" ]; then
    echo "FAILED: '$*' gave '$got', not '$expected'"
    failures=$((failures + 1))
  fi
}

complete_line "erase " "$cli" e
complete_line "methods " "$cli" --demo m
complete_line "unlock " "$cli" --demo u
complete_line "--then-zeros " "$cli" erase 0 --th
complete_line "--method " "$cli" erase 0 --met
complete_line "crypto-erase " "$cli" erase 0 --method cr
complete_line "--key " "$cli" verify --k
complete_line "details " "$cli" --demo d
complete_line "--force " "$cli" erase 0 --fo
complete_line "" "$cli" list --fo
complete_line "full " "$cli" erase 0 --verify f
complete_line "0 1 2 3 4 6 7 8 " "$cli" --drives "$drives" erase ""
complete_line "station " "$cli" st
complete_line "--exclude " "$cli" station --exc
complete_line "" "$cli" --drives "$drives" station ""
complete_line "0 1 2 3 4 6 7 8 " "$cli" --drives "$drives" station --include ""
exit $((failures > 0))
