#!/usr/bin/env bash
# orvella-certificate.exe under Wine: the certificate of a record that
# orvella-cli.exe wrote is a PDF whose text, read back on the build machine
# with pdftotext, holds the drive's serial and the result's title.
# Arguments: wine, orvella-cli.exe, orvella-certificate.exe, the drives file.
set -euo pipefail
wine=$1 cli=$2 certificate=$3 drives=$4
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT

fail() {
  echo "certificate_windows_test: $1" >&2
  exit 1
}
# An erase that is not read back ends with exit 9: written, not proven.
code=0
"$wine" "$cli" --drives "$(winepath -w "$drives" 2>/dev/null)" erase 0 --yes --verify off \
  --report "$(winepath -w "$folder/record.json" 2>/dev/null)" >/dev/null || code=$?
[ "$code" -eq 9 ] || fail "orvella-cli.exe ended with $code, not 9"
"$wine" "$certificate" "$(winepath -w "$folder/record.json" 2>/dev/null)" \
  "$(winepath -w "$folder/certificate.pdf" 2>/dev/null)"
[ "$(head -c 5 "$folder/certificate.pdf")" = "%PDF-" ] || fail "the file is not a PDF"
text=$(pdftotext -q "$folder/certificate.pdf" - | tr '\n' ' ' | tr -s ' ')
for expected in "SNA1" "Overwrite Record (NOT a proven sanitization)" \
                "Result: written and flushed, NOT VERIFIED: nothing was read back"; do
  [[ $text == *"$expected"* ]] || fail "\"$expected\" is not on the page: $text"
done
echo "the certificate holds the serial and the title"
