#!/usr/bin/python3
"""Times Pillow on the files and pictures the benchmark programs give it, with the same
repetition: each task runs --runs times, interleaved with the other tasks, each run lasting
at least --min-time seconds; prints per task
operation|size|depth|side|median seconds|interquartile range|1 when it counts as a peer.

A task is one argument, fields separated by '|':
operation|size|depth|side|counts|kind|path[|width|height]
Kinds (the picture is read from the BMP file at path before timing, where one is needed):
  decode        the file's bytes, already in memory, to a loaded picture
  file, path    from an open file object (file) or from the path (path) to a loaded picture;
  file-cold,    the same after dropping the file from the page cache before each run
  path-cold
  display       from an open file object to a loaded picture of 32-bit pixels ("RGB")
  encode        the picture to the bytes of a BMP file, in a fresh buffer each time
  convert       the picture to "RGB" (palette expansion)
  double        the picture scaled to twice its width and height, bilinear
  flip          the picture upside down, as a new picture
  resize        the picture scaled to width x height, nearest neighbour
"""
import io
import os
import random
import sys
import time

try:
    from PIL import Image
except ImportError:  # no Pillow on this machine: no Pillow column
    sys.exit(0)


def drop_from_cache(path):
    fd = os.open(path, os.O_RDONLY)
    try:
        os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
    finally:
        os.close(fd)


def read_from_file(path):
    with open(path, "rb") as f:
        image = Image.open(f)
        image.load()
        return image


def read_from_path(path):
    image = Image.open(path)
    image.load()
    return image


def to_display(path):
    image = read_from_file(path)
    return image if image.mode == "RGB" else image.convert("RGB")


def make_operation(kind, path, width, height):
    """The timed operation, and what must run untimed before each call."""
    nothing = lambda: None
    cold = lambda: drop_from_cache(path)
    if kind == "decode":
        with open(path, "rb") as f:
            data = f.read()
        return (lambda: Image.open(io.BytesIO(data)).load()), nothing
    if kind in ("file", "file-cold"):
        return (lambda: read_from_file(path)), (cold if kind == "file-cold" else nothing)
    if kind in ("path", "path-cold"):
        return (lambda: read_from_path(path)), (cold if kind == "path-cold" else nothing)
    if kind == "display":
        return (lambda: to_display(path)), nothing
    # Read through a file object: given the path, Pillow may keep the file mapped, and a
    # mapped file cannot be dropped from the page cache for the cold runs.
    image = read_from_file(path)
    if kind == "encode":
        return (lambda: image.save(io.BytesIO(), "BMP")), nothing
    if kind == "convert":
        return (lambda: image.convert("RGB")), nothing
    if kind == "double":
        size = (2 * image.width, 2 * image.height)
        return (lambda: image.resize(size, Image.BILINEAR)), nothing
    if kind == "flip":
        return (lambda: image.transpose(Image.FLIP_TOP_BOTTOM)), nothing
    if kind == "resize":
        return (lambda: image.resize((width, height), Image.NEAREST)), nothing
    raise ValueError("unknown kind " + kind)


def one_run(operation, prepare, min_time):
    """Seconds per call over calls lasting at least min_time, preparation untimed."""
    total = 0.0
    calls = 0
    while calls == 0 or total < min_time:
        prepare()
        start = time.perf_counter()
        result = operation()
        total += time.perf_counter() - start
        del result
        calls += 1
    return total / calls


def quantile(values, q):
    """As the benchmark programs compute it: linear between the sorted neighbours."""
    at = q * (len(values) - 1)
    low = int(at)
    high = min(low + 1, len(values) - 1)
    return values[low] + (values[high] - values[low]) * (at - low)


def main(arguments):
    runs = 15
    min_time = 0.1
    tasks = []
    i = 0
    while i < len(arguments):
        if arguments[i] == "--runs":
            runs = int(arguments[i + 1])
            i += 2
        elif arguments[i] == "--min-time":
            min_time = float(arguments[i + 1])
            i += 2
        else:
            tasks.append(arguments[i].split("|"))
            i += 1
    prepared = []
    for task in tasks:
        width = int(task[7]) if len(task) > 7 else 0
        height = int(task[8]) if len(task) > 8 else 0
        operation, prepare = make_operation(task[5], task[6], width, height)
        prepared.append((task, operation, prepare, []))
    order = [k for k in range(len(prepared)) for _ in range(runs)]
    random.shuffle(order)
    for k in order:
        _, operation, prepare, times = prepared[k]
        times.append(one_run(operation, prepare, min_time))
    for task, _, _, times in prepared:
        times.sort()
        median = quantile(times, 0.5)
        spread = quantile(times, 0.75) - quantile(times, 0.25)
        print("|".join(task[:4] + [repr(median), repr(spread), task[4]]))


if __name__ == "__main__":
    main(sys.argv[1:])
