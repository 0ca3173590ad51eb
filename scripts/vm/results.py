"""What the guest answered, and the checks the scenarios make of it."""
import json
import pathlib

from machine import PATTERN, MiB, image_path


class Run:
    def __init__(self):
        self.out, self.err, self.rc = [], [], None

    @property
    def stdout(self):
        return "\n".join(self.out)

    @property
    def stderr(self):
        return "\n".join(self.err)

    def json(self):
        return json.loads(self.stdout)


class GuestResults:
    """The guest's output split by the helpers of scenarios/lib.sh, and a tally
    of the checks made of it."""

    def __init__(self, output, work):
        self.work = pathlib.Path(work)
        self.runs, self.notes = {}, []
        self.passed = self.failed = 0
        target = None
        for line in output.splitlines():
            if line.startswith("@@OUT "):
                target = self.runs.setdefault(line[6:], Run()).out
            elif line.startswith("@@ERR "):
                target = self.runs[line[6:]].err
            elif line.startswith("@@RC "):
                name, rc = line[5:].rsplit(" ", 1)
                self.runs[name].rc = int(rc)
                target = None
            elif line.startswith("@@"):
                self.notes.append(line)
                target = None
            elif target is not None:
                target.append(line.rstrip("\r"))

    def run(self, name):
        if name not in self.runs:
            raise KeyError(f"the guest never ran {name}")
        return self.runs[name]

    def ok(self, label, condition, detail=""):
        if condition:
            self.passed += 1
            print(f"PASS {label}")
        else:
            self.failed += 1
            print(f"FAIL {label}" + (f": {detail}" if detail else ""))
        return condition

    def fail(self, label):
        self.ok(label, False)

    def equal(self, label, actual, expected):
        return self.ok(label, actual == expected, f"got {actual!r}, expected {expected!r}")

    def exit_code(self, label, name, expected):
        run = self.run(name)
        tail = (run.stderr or run.stdout)[-600:]
        return self.ok(f"{label} (exit {expected})", run.rc == expected, f"exit {run.rc}; {tail}")

    def image(self, drive_id):
        return image_path(self.work, drive_id).read_bytes()

    def image_holds(self, label, drive_id, zero_ranges, pattern_ranges=()):
        """Checks that the image's byte ranges [start, end) in zero_ranges
        hold zeros and those in pattern_ranges still the pattern."""
        data = self.image(drive_id)
        wrong = []
        for start, end in zero_ranges:
            part = data[start:end]
            if part.count(0) != end - start:
                first = start + len(part) - len(part.lstrip(b"\0"))
                wrong.append(f"byte {first} of {start}..{end} is not zero")
        for start, end in pattern_ranges:
            if data[start:end] != PATTERN * (end - start):
                wrong.append(f"{start}..{end} lost the old content")
        return self.ok(label, not wrong, "; ".join(wrong))
