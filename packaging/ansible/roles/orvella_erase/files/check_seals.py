#!/usr/bin/env python3
"""Checks the seal of every erase record named on the command line: the
sha256 member must be the SHA-256 of the record without it, written as
compact JSON (docs/erase-record.md). Prints one line per record; exits 1
when any seal does not hold."""
import hashlib
import json
import sys


def sealed(path):
    with open(path, encoding="utf-8") as f:
        record = json.load(f)
    digest = record.pop("sha256", None)
    text = json.dumps(record, ensure_ascii=False, separators=(",", ":"))
    return digest is not None and hashlib.sha256(text.encode()).hexdigest() == digest


def main(paths):
    bad = [p for p in paths if not sealed(p)]
    for path in paths:
        print(("MISMATCH " if path in bad else "OK ") + path)
    return 1 if bad or not paths else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
