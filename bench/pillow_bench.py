#!/usr/bin/python3
"""Times Pillow for the benchmark programs, on the files and pictures they give it, in
their run: the programs start this script once and ask it for one repetition of a task at
a time, interleaved with their own sides, so that every side of a case is measured over the
same stretch of time on the same machine.

Each line read is a task; the answer is one line, the seconds per call over calls lasting
at least --min-time seconds (the task prepared once, on its first request), or "-" when the
task cannot run. Started with --check, the script only says whether Pillow is there: its
exit status is 0 when it is. Started with --first-open PATH, it opens that one file for
display (as the "display" kind) in this fresh interpreter and prints the seconds of that
open alone; the module and its format readers are imported before the clock starts, as a
viewer has them when it opens its first picture. Started with --first-double PATH, it
opens that file in the same way and then times the doubling of the "double" kind on it,
printing the seconds of the open, then the CPU and wall seconds of the doubling. Started
with --pixels PATH OUT, it writes to OUT the red, green and blue bytes of every pixel of
that open, top row first, for the benchmarks to check that it sees the file's pixels.

A task is fields separated by '|':
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
import sys
import time

try:
    from PIL import Image
except ImportError:  # no Pillow on this machine: no Pillow column
    sys.exit(1)


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


def serve(min_time):
    """Answers each task read with the time of one repetition."""
    prepared = {}
    for line in sys.stdin:
        task = line.rstrip("\n")
        try:
            if task not in prepared:
                fields = task.split("|")
                width = int(fields[7]) if len(fields) > 7 else 0
                height = int(fields[8]) if len(fields) > 8 else 0
                prepared[task] = make_operation(fields[5], fields[6], width, height)
            operation, prepare = prepared[task]
            answer = repr(one_run(operation, prepare, min_time))
        except Exception as error:  # the side goes without a figure; the run goes on
            print(error, file=sys.stderr)
            answer = "-"
        print(answer, flush=True)


def first_open(path):
    """Seconds of one open for display, in a process that has opened nothing yet."""
    Image.preinit()
    start = time.perf_counter()
    image = to_display(path)
    seconds = time.perf_counter() - start
    del image
    print(repr(seconds), flush=True)


def first_double(path):
    """The first open, then the picture doubled in size in that fresh interpreter."""
    Image.preinit()
    start = time.perf_counter()
    image = to_display(path)
    seconds = time.perf_counter() - start
    size = (2 * image.width, 2 * image.height)
    cpu = time.process_time()
    wall = time.perf_counter()
    doubled = image.resize(size, Image.BILINEAR)
    cpu = time.process_time() - cpu
    wall = time.perf_counter() - wall
    del doubled
    print(repr(seconds), repr(cpu), repr(wall), flush=True)


def write_pixels(path, out):
    with open(out, "wb") as f:
        f.write(to_display(path).tobytes())


def main(arguments):
    if "--check" in arguments:
        return
    if "--first-open" in arguments:
        first_open(arguments[arguments.index("--first-open") + 1])
        return
    if "--first-double" in arguments:
        first_double(arguments[arguments.index("--first-double") + 1])
        return
    if "--pixels" in arguments:
        at = arguments.index("--pixels")
        write_pixels(arguments[at + 1], arguments[at + 2])
        return
    min_time = 0.1
    if "--min-time" in arguments:
        min_time = float(arguments[arguments.index("--min-time") + 1])
    serve(min_time)


if __name__ == "__main__":
    main(sys.argv[1:])
