#!/usr/bin/env python3
"""A FUSE file system of one file, drive.img, kept in a backing file, that
misbehaves in chosen byte ranges: writes touching a --fail range are refused
with EIO, and the bytes of a write that fall in a --drop range are thrown
away while the write reports success. Mounted with direct_io, so that a loop
device over drive.img meets these faults on every request.

    faulty_fs.py BACKING MOUNTPOINT [--fail FROM:TO]... [--drop FROM:TO]...
"""
import argparse
import errno
import os
import stat
import sys

try:
    from fusepy import FUSE, FuseOSError, Operations  # Debian's python3-fusepy
except ImportError:
    from fuse import FUSE, FuseOSError, Operations

NAME = "/drive.img"


def byte_range(text):
    start, end = (int(part, 0) for part in text.split(":"))
    if end <= start:
        raise argparse.ArgumentTypeError("a range FROM:TO needs TO after FROM")
    return start, end


class FaultyDrive(Operations):
    def __init__(self, backing, failing, dropped):
        self.fd = os.open(backing, os.O_RDWR)
        self.failing = failing
        self.dropped = dropped

    def getattr(self, path, fh=None):
        if path == "/":
            return {"st_mode": stat.S_IFDIR | 0o755, "st_nlink": 2}
        if path != NAME:
            raise FuseOSError(errno.ENOENT)
        size = os.fstat(self.fd).st_size
        return {"st_mode": stat.S_IFREG | 0o644, "st_nlink": 1, "st_size": size}

    def readdir(self, path, fh):
        return [".", "..", NAME[1:]]

    def open(self, path, flags):
        if path != NAME:
            raise FuseOSError(errno.ENOENT)
        return 0

    def read(self, path, size, offset, fh):
        return os.pread(self.fd, size, offset)

    def write(self, path, data, offset, fh):
        end = offset + len(data)
        if any(offset < to and end > start for start, to in self.failing):
            raise FuseOSError(errno.EIO)
        kept = [(offset, end)]
        for start, to in self.dropped:
            kept = [piece for a, b in kept
                    for piece in ((a, min(b, start)), (max(a, to), b)) if piece[0] < piece[1]]
        for a, b in kept:
            os.pwrite(self.fd, data[a - offset:b - offset], a)
        return len(data)

    def truncate(self, path, length, fh=None):
        raise FuseOSError(errno.EPERM)

    def fsync(self, path, datasync, fh):
        os.fsync(self.fd)
        return 0

    def flush(self, path, fh):
        return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("backing")
    parser.add_argument("mountpoint")
    parser.add_argument("--fail", type=byte_range, action="append", default=[])
    parser.add_argument("--drop", type=byte_range, action="append", default=[])
    args = parser.parse_args()
    FUSE(FaultyDrive(args.backing, args.fail, args.drop), args.mountpoint, foreground=True, direct_io=True,
         nothreads=True)


if __name__ == "__main__":
    sys.exit(main())
