"""The one way the scripts run the staged demo: its timeline (`demo --timeline`), a run in a
working directory of its own on the X server of scripts/with-xvfb, waiting for playback,
keys and resizes sent with xdotool, screenshots, quitting with Escape (and its release), the
sanitizer reports in its output, the PNG reader, and the LD_PRELOAD shims the build makes.

    import demorun                      # from a script in scripts/: sys.path holds scripts/
    demorun.under_xvfb("1280x800x24")   # re-runs the script on an X server of its own
    timeline = demorun.timeline(stage)
    run = demorun.Run(stage, work, "name", ["-nf", "-m", "-s", "0"])
    run.wait_for_playback(300); run.key("space"); run.quit(60)

From a shell script, scripts/demorun.py with
    reports LOG          the number of sanitizer reports in LOG
    timeline STAGE       the demo's timeline;  scenes STAGE: its scene numbers
    played STAGE LOG     yes when LOG holds the hand-over, else no
    play STAGE LOG LIMIT SECONDS [WRAPPER...] -- ARGS...
                         ./demo ARGS from STAGE (under WRAPPER) until SECONDS of its clock
                         after playback began, then Escape; prints the exit status
"""
import os
import re
import struct
import subprocess
import sys
import time
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
# A sanitizer's report in the demo's output (ASan, LSan, UBSan): the one pattern, which the
# end-to-end tests and scripts/fuzz read from the same file.
SANITIZER = re.compile(open(os.path.join(HERE, "sanitizer-report.ere")).read().strip())
STAGE_ENTRIES = ("demo", "data", "tools", "data.vfile")


def sanitizer_reports(text):
    return len(SANITIZER.findall(text))


def under_xvfb(screen, flag="DEMORUN_INNER"):
    """Re-runs this script on an X server of its own (scripts/with-xvfb), once."""
    if os.environ.get(flag):
        return
    os.environ[flag] = "1"
    with_xvfb = os.path.join(HERE, "with-xvfb")
    args = [with_xvfb] + (["--screen", screen] if screen else []) + [sys.executable] + sys.argv
    os.execv(with_xvfb, args)


class Timeline:
    """The demo's scenes as its table has them: (index, name, start ms, length ms) each."""

    def __init__(self, text):
        self.scenes, self.length_ms = [], 0
        for line in text.splitlines():
            words = line.split()
            if len(words) == 5 and words[0] == "scene":
                self.scenes.append((int(words[1]), words[2], int(words[3]), int(words[4])))
            elif len(words) == 2 and words[0] == "length":
                self.length_ms = int(words[1])

    def count(self):
        return len(self.scenes)

    def start_ms(self, scene):
        return self.scenes[scene][2]

    def marker(self):
        """The hand-over's last line begins with this: playback has begun once it is out."""
        return "sceneTime[%d]" % (self.count() - 1)


def timeline(stage):
    out = subprocess.run([os.path.join(stage, "demo"), "--timeline"], stdout=subprocess.PIPE,
                         text=True, check=True).stdout
    found = Timeline(out)
    if not found.scenes or not found.length_ms:
        raise RuntimeError("no timeline from %s/demo --timeline" % stage)
    return found


def shim(tree, name):
    """The LD_PRELOAD library `name` (soak-clock-probe, bench-swap) the build tree made."""
    path = os.path.join(os.path.abspath(tree), "shims", "lib%s.so" % name)
    if not os.path.exists(path):
        raise RuntimeError("no %s: build the tree's tests target (scripts/build --tests)" % path)
    return path


def tree_of(stage):
    """The build tree a stage lies in."""
    return os.path.dirname(os.path.abspath(stage))


def xdotool(*args):
    return subprocess.run(["xdotool"] + list(args), stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, text=True, timeout=60)


def release_escape():
    """The demo quits on Escape's press, and the window it closes can take xdotool's release
    with it: the key stays down on the X server and auto-repeats into the next window."""
    xdotool("keyup", "Escape")


class Run:
    """One run of the staged demo in `work`/`name`, its output in out.txt there. `files`
    replaces staged entries by bytes of its own (data.vfile: b"..."); `env` is added to the
    environment; `wrapper` runs the demo under another program (valgrind ...)."""

    def __init__(self, stage, work, name, args, env=None, files=None, wrapper=(), stdout=None):
        self.dir = os.path.join(work, name)
        os.makedirs(self.dir)
        files = files or {}
        for entry in STAGE_ENTRIES:
            if entry in files:
                with open(os.path.join(self.dir, entry), "wb") as f:
                    f.write(files[entry])
            else:
                os.symlink(os.path.join(os.path.abspath(stage), entry),
                           os.path.join(self.dir, entry))
        self.log_path = stdout or os.path.join(self.dir, "out.txt")
        self.timeline = timeline(stage)
        self.started = time.monotonic()
        with open(self.log_path, "w") as log:
            self.process = subprocess.Popen(list(wrapper) + ["./demo"] + list(args), cwd=self.dir,
                                            stdout=log, stderr=subprocess.STDOUT,
                                            env=dict(os.environ, **(env or {})))
        self.window = None

    def output(self):
        return open(self.log_path, errors="replace").read()

    def alive(self):
        return self.process.poll() is None

    def wait_for(self, text, limit=300, every=0.1):
        """Polls the output until it holds `text`; False when the demo ended or time ran out."""
        deadline = time.monotonic() + limit
        while time.monotonic() < deadline:
            ended = not self.alive()  # looked at before the output: its last line is seen
            if text in self.output():
                return True
            if ended:
                return False
            time.sleep(every)
        return False

    def played(self):
        return self.timeline.marker() in self.output()

    def wait_for_playback(self, limit=300):
        """Waits for the hand-over and the demo's window; False when either never came."""
        if not self.wait_for(self.timeline.marker(), limit):
            return False
        found = xdotool("search", "--sync", "--name", "vlm-framework").stdout.split()
        self.window = found[0] if found else None
        return self.window is not None

    def key(self, name):
        if self.alive():
            xdotool("windowfocus", "--sync", self.window, "key", name)

    def resize(self, width, height):
        if self.alive():
            xdotool("windowsize", self.window, str(width), str(height))

    def screenshot(self, limit=60):
        """Presses 0 and waits for screenshot.png to hold a whole PNG; its path, or None."""
        shot = os.path.join(self.dir, "screenshot.png")
        if os.path.exists(shot):
            os.unlink(shot)
        self.key("0")
        deadline = time.monotonic() + limit
        while time.monotonic() < deadline:
            ended = not self.alive()
            if os.path.exists(shot):
                data = open(shot, "rb").read()
                if len(data) > 12 and data[-8:-4] == b"IEND":
                    return shot
            if ended:
                return None
            time.sleep(0.05)
        return None

    def wait_exit(self, limit):
        """The exit status (negative: the signal), or None after killing a demo that ran on."""
        try:
            return self.process.wait(timeout=limit)
        except subprocess.TimeoutExpired:
            self.kill()
            return None

    def quit(self, limit=60):
        """Escape (to the demo's window, found now if playback was never waited for), then
        the exit status as wait_exit gives it."""
        if self.alive():
            if self.window:
                xdotool("windowfocus", "--sync", self.window, "key", "Escape")
            else:
                xdotool("search", "--sync", "--name", "vlm-framework", "windowfocus", "--sync",
                        "key", "Escape")
        status = self.wait_exit(limit)
        release_escape()
        return status

    def kill(self):
        if self.alive():
            self.process.kill()
        self.process.wait()

    def sanitizer_reports(self):
        return sanitizer_reports(self.output())


def png_size_and_rows(path):
    """Width, height and the RGB rows of an 8-bit RGB(A) PNG as libgd writes it (no interlace)."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        return 0, 0, []
    at, idat, width, height, colour = 8, b"", 0, 0, 2
    while at + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, _, colour = struct.unpack(">IIBB", body[:10])
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw = zlib.decompress(idat)
    bpp = 4 if colour == 6 else 3
    stride = width * bpp
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up, corner = previous[i], previous[i - bpp] if i >= bpp else 0
            if kind == 1: line[i] = (line[i] + left) & 255
            elif kind == 2: line[i] = (line[i] + up) & 255
            elif kind == 3: line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + pred) & 255
        rows.append(bytes(line[j] for j in range(stride) if j % bpp < 3))
        previous = line
    return width, height, rows


def _play(stage, log, limit, seconds, wrapper, args):
    """Plays until the demo clock is `seconds` past its first played frame, then Escape (or
    until the demo ends by itself). The clock is read through the clock probe; a run under a
    wrapper (valgrind) is given `seconds` of wall time instead."""
    import shutil
    work = os.path.dirname(os.path.abspath(log))
    name = "run-" + os.path.basename(log)
    shutil.rmtree(os.path.join(work, name), ignore_errors=True)
    clock_log = os.path.join(work, name + ".clock")
    env = {}
    if not wrapper:
        # The probe comes before a sanitized demo's runtime in the preload list: ASan is told
        # that this is meant.
        options = (os.environ.get("ASAN_OPTIONS"), "verify_asan_link_order=0")
        asan = ":".join(o for o in options if o)
        env = {"LD_PRELOAD": shim(tree_of(stage), "soak-clock-probe"), "SOAK_CLOCK_LOG": clock_log,
               "ASAN_OPTIONS": asan}
    run = Run(stage, work, name, args, env=env, wrapper=wrapper, stdout=log)
    try:
        if run.wait_for_playback(limit):
            deadline = time.monotonic() + (seconds if wrapper else limit)
            first = len(clock_samples(clock_log))  # the frames before playback are not counted
            while run.alive() and time.monotonic() < deadline:
                played = clock_samples(clock_log)[first:]
                if not wrapper and played and played[-1][1] - played[0][1] >= seconds * 1000:
                    break
                time.sleep(0.1)
        status = run.quit(limit) if run.alive() else run.wait_exit(limit)
    finally:
        run.kill()
        shutil.rmtree(run.dir, ignore_errors=True)
        if os.path.exists(clock_log):
            os.unlink(clock_log)
    return status


def clock_samples(path):
    """(wall s, demo clock ms) of each frame the clock probe logged to `path` so far."""
    samples = []
    try:
        for line in open(path):
            parts = line.split()
            if len(parts) == 2:
                samples.append((float(parts[0]), float(parts[1])))
    except FileNotFoundError:
        pass
    return samples



def main(argv):
    if len(argv) == 2 and argv[0] == "reports":
        print(sanitizer_reports(open(argv[1], errors="replace").read()))
    elif len(argv) == 2 and argv[0] == "timeline":
        sys.stdout.write(subprocess.run([os.path.join(argv[1], "demo"), "--timeline"],
                                        stdout=subprocess.PIPE, text=True).stdout)
    elif len(argv) == 2 and argv[0] == "scenes":
        print(" ".join(str(scene[0]) for scene in timeline(argv[1]).scenes))
    elif len(argv) == 3 and argv[0] == "played":
        marker = timeline(argv[1]).marker()
        print("yes" if marker in open(argv[2], errors="replace").read() else "no")
    elif len(argv) >= 6 and argv[0] == "play" and "--" in argv:
        split = argv.index("--")
        stage, log, limit, seconds = argv[1], argv[2], int(argv[3]), float(argv[4])
        status = _play(stage, log, limit, seconds, argv[5:split], argv[split + 1:])
        print("none" if status is None else status)
    else:
        sys.exit("usage: demorun.py reports LOG | timeline STAGE | scenes STAGE | "
                 "played STAGE LOG | play STAGE LOG LIMIT SECONDS [WRAPPER...] -- ARGS...")


if __name__ == "__main__":
    main(sys.argv[1:])
