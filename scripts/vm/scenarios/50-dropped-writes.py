"""Writes that a disk drops silently are caught by the read-back."""
from machine import MiB


def check(r):
    r.exit_code("dropped writes: the read-back finds the old data", "erase-flaky", 3)
    verification = r.run("erase-flaky").json()["verification"]
    r.equal("dropped writes: verification result", verification["result"], "mismatch")
    r.ok("dropped writes: the mismatches cover the drive", sum(m["to"] - m["from"] for m in verification["mismatches"])
         == 32 * MiB, f"mismatches {verification['mismatches'][:4]}")
    r.image_holds("dropped writes: nothing reached the disk", "vdflaky", [], [(0, 32 * MiB)])
