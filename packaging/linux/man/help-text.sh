#!/bin/sh
# Answers help2man's "--help" and "--version" for one program, so that every
# program gets its manual page from the build, whether it prints its own
# help (orvella-cli: its help and each command's help) or is a window
# program whose help is kept in NAME.help beside this script.
# Usage: help-text.sh NAME VERSION (PROGRAM | HELP_FILE) --help|--version
set -eu
name=$1 version=$2 source=$3 option=$4
if [ "$option" = --version ]; then
  echo "$name (Orvella) $version"
elif [ -x "$source" ] && [ ! -d "$source" ]; then
  "$source" --help
  for command in list details smart methods unlock erase station keygen verify; do
    printf '\nCommand %s:\n' "$command"
    "$source" "$command" --help
  done
else
  cat "$source"
fi
