#!/usr/bin/env python3
"""The capture programs beside a serial terminal on the same stream.

Streams the same readings over pseudo-terminals into tally77 (on its own
Xvfb), tally77-capture, bench/work_floor_qt (the floor's work on Qt's event
loop and serial port, as the programs wait) and tio (kept in a detached tmux
session, which keeps its lines), one program after the other and the whole
round twice. Each program runs beside its own bench/work_floor (the
capture's files on bare system calls: the least any capture can cost), on a
line of its own: every reading goes to the floor, then to the program, with
half the gap after each, so the two are measured over the same minutes and
a machine whose speed comes and goes (a virtual machine beside others)
shifts both alike, while each still sees a reading about every gap. It
measures from /proc: CPU per line (the process with all its threads, and
the display's server: Xvfb for the window, the tmux server for tio) and its
ratio to the floor beside it (and the median of the rounds' ratios), the
threads' wake-ups per line beside the floor's, resident memory growth per
line, idle CPU per minute with the port open and resident memory at start
(for tio, with the tmux server that keeps its lines). Every reading is looked for in
"usage.cap" (tally77, tally77-capture, both floors) or in tmux's history
(tio).

With --baseline, the window and the service of another build (an earlier
commit's, say) run in every round too, each beside a floor of --build's, so
the programs before and after a change are measured over the same minutes.

Usage: peers.py [--build DIR] [--baseline DIR] [--count N] [--gap-ms MS]
                [--idle SECONDS] [--runs R] [--data-root DIR] [--readme FILE]
Exits 77 when a program it needs is missing, 1 when a reading is missing.
"""
import argparse
import datetime
import fcntl
import os
import pathlib
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import termios
import time
import tty

CLOCK_TICK_US = 1e6 / os.sysconf("SC_CLK_TCK")
WINDOW_TITLE = "ferroLUMEN Tally 77 v1.10"
INTERVAL_MS = "2"
BEGIN_MARK = "<!-- peers.py: begin -->"
END_MARK = "<!-- peers.py: end -->"


def wait_for(condition, seconds, what):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            raise RuntimeError(f"{what} within {seconds} s")
        time.sleep(0.05)


class Figures:
    """A process seen through /proc."""

    def __init__(self, pid):
        self.pid = pid

    def cpu_us(self):
        """User and system time of all threads, those ended included."""
        fields = pathlib.Path(f"/proc/{self.pid}/stat").read_text().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) * CLOCK_TICK_US

    def live_threads(self, name):
        """The text of one /proc file of each thread still alive."""
        for task in pathlib.Path(f"/proc/{self.pid}/task").iterdir():
            try:
                yield (task / name).read_text()
            except (FileNotFoundError, ProcessLookupError):
                pass  # ended meanwhile

    def thread_cpu_us(self):
        """The scheduler's nanosecond count summed over the live threads: fine
        enough for an idle minute, where clock ticks are too coarse."""
        return sum(int(text.split()[0]) for text in self.live_threads("schedstat")) / 1000

    def wakeups(self):
        """Times the live threads went to sleep of their own accord (a wait
        for the line, a timer, a reply or a lock): each costs a switch away
        and back, dear on a virtual machine. A thread that has ended is no
        longer counted."""
        return sum(int(line.split()[1]) for text in self.live_threads("status") for line in text.splitlines()
                   if line.startswith("voluntary_ctxt_switches:"))

    def resident_kib(self):
        for line in pathlib.Path(f"/proc/{self.pid}/status").read_text().splitlines():
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
        return 0


class Line:
    """A pseudo-terminal: the benchmark writes on its master side, the
    program opens the other side by its path."""

    def __init__(self):
        self.master, self.keeper = os.openpty()
        tty.setraw(self.keeper)  # no echo before the program sets its own mode
        os.set_blocking(self.master, False)
        self.path = os.ttyname(self.keeper)

    def opened(self):
        """The program has set the line to 300 baud."""
        return termios.tcgetattr(self.keeper)[4] == termios.B300

    def unread(self):
        count = fcntl.ioctl(self.keeper, termios.FIONREAD, struct.pack("i", 0))
        return struct.unpack("i", count)[0]

    def read_off(self):
        """The program has read everything written (give the kernel a moment
        to hand it on first)."""
        time.sleep(0.001)
        return self.unread() == 0

    def send(self, burst, gap_s, taken):
        """The burst at once; once the program has taken it (taken() true),
        the quiet gap. A program late to read or to close a burst never finds
        the next one waiting with it."""
        os.write(self.master, burst)
        deadline = time.monotonic() + 30
        while not taken():
            if time.monotonic() > deadline:
                raise RuntimeError("the program stopped taking readings")
            time.sleep(0.0002)
        try:
            os.read(self.master, 4096)  # whatever the program sent back
        except BlockingIOError:
            pass
        time.sleep(gap_s)

    def close(self):
        os.close(self.master)
        os.close(self.keeper)


def burst(number):
    """Reading number (from 1) as the simulator makes it, channels in turn."""
    channel = (number - 1) % 16 + 1
    return f"{channel},{100 + channel},{number},300".encode()


def started(command, **options):
    return subprocess.Popen(command, stdin=subprocess.DEVNULL, **options)


def stop(process):
    if process is not None and process.poll() is None:
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def usage_cap_readings(data_dir):
    """The reading numbers in "usage.cap", in file order."""
    path = pathlib.Path(data_dir) / "usage.cap"
    if not path.exists():
        return []
    return [int(line.split(b",")[2]) for line in path.read_bytes().split(b"\r\n") if line.count(b",") >= 3]


def prepared_data_dir(build, work):
    """A data directory with the default support files."""
    data = work / "data"
    data.mkdir()
    subprocess.run([str(build / "src/service/tally77-capture"), "--data-dir", str(data), "--init"], check=True,
                   stdout=subprocess.DEVNULL)
    return data


class Capture:
    """tally77-capture on the line, its log in a file."""

    name = "`tally77-capture`"
    display = None

    def __init__(self, build, work, line, count):
        self.data = prepared_data_dir(build, work)
        self.count = count
        with open(work / "capture.log", "wb") as log:
            self.process = started([str(build / "src/service/tally77-capture"), "--port", line.path, "--data-dir",
                                    str(self.data), "--interval", INTERVAL_MS], stdout=log, stderr=log)
        self.kept = [Figures(self.process.pid)]

    def taken_check(self, line):
        """A reading is taken when the burst is closed: "cp.txt" replaced."""
        before = self.scratch()
        return lambda: self.scratch() != before

    def scratch(self):
        try:
            status = os.stat(self.data / "cp.txt")
            return status.st_ino, status.st_mtime_ns
        except FileNotFoundError:
            return None

    def arrived(self):
        return len(usage_cap_readings(self.data)) >= self.count

    def confirmed(self):
        return usage_cap_readings(self.data) == list(range(1, self.count + 1))

    def close(self):
        stop(self.process)


class WorkFloor(Capture):
    """bench/work_floor: the capture's files written on bare system calls, the
    least any capture can cost."""

    name = "the work alone (`work_floor`)"
    program = "bench/work_floor"

    def __init__(self, build, work, line, count):
        self.data = work / "data"
        self.data.mkdir()
        self.count = count
        with open(work / "capture.log", "wb") as log:
            self.process = started([str(build / self.program), line.path, str(self.data), INTERVAL_MS],
                                   stdout=log, stderr=log)
        self.kept = [Figures(self.process.pid)]


class QtFloor(WorkFloor):
    """bench/work_floor_qt: the floor's work waiting on Qt's event loop and
    serial port, as the capture programs do."""

    name = "the work alone on Qt's loop (`work_floor_qt`)"
    program = "bench/work_floor_qt"


class Window(Capture):
    """tally77 on its own Xvfb, worked with xdotool as an operator would:
    Obs # and Interval typed, Com1 pressed."""

    name = "`tally77`"

    def __init__(self, build, work, line, count):
        self.data = prepared_data_dir(build, work)
        self.count = count
        reader, writer = os.pipe()
        # Depth 24: the visual the window's 32-bit images go to without conversion.
        self.server = started(["Xvfb", "-displayfd", str(writer), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                              pass_fds=[writer], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(writer)
        self.process = None
        try:
            self.operate(build, work, line, count, reader)
        except BaseException:
            self.close()  # no Xvfb or window left behind by a start that failed
            raise

    def operate(self, build, work, line, count, reader):
        """The window started on the new Xvfb, the run set up and Com1 pressed."""
        with os.fdopen(reader) as numbers:
            display = numbers.readline().strip()
        if not display:
            raise RuntimeError("Xvfb did not start")
        self.display = Figures(self.server.pid)
        environment = dict(os.environ, DISPLAY=f":{display}", TALLY77_COM1=line.path, QT_QPA_PLATFORM="xcb",
                           XDG_CONFIG_HOME=str(work / "config"), HOME=str(work))
        self.environment = environment
        with open(work / "window.log", "wb") as log:
            self.process = started([str(build / "src/window/tally77"), "--data-dir", str(self.data)],
                                   cwd=self.data, env=environment, stdout=log, stderr=log)
        self.kept = [Figures(self.process.pid)]
        self.window = None
        wait_for(self.found, 30, "the window did not appear")
        self.xdotool("windowfocus", "--sync", self.window)
        geometry = dict(line.split("=") for line in self.xdotool("getwindowgeometry", "--shell", self.window).split())
        self.size = int(geometry["WIDTH"]), int(geometry["HEIGHT"])
        obs, interval = (5160, 3720, 615, 285), (6840, 3720, 615, 285)
        self.type_into(obs, str(count // 16 + 1))  # the run does not end before the stream does
        self.type_into(interval, INTERVAL_MS)
        self.click((2400, 120, 855, 375))  # Com1

    def xdotool(self, *arguments):
        return subprocess.run(["xdotool", *arguments], env=self.environment, capture_output=True, text=True,
                              timeout=20).stdout

    def found(self):
        self.window = (self.xdotool("search", "--name", WINDOW_TITLE).split() or [None])[0]
        return self.window is not None

    def click(self, place):
        """The middle of a control given by its place in twips."""
        left, top, width, height = place
        x = (left + width // 2) * self.size[0] // 7680
        y = (top + height // 2) * self.size[1] // 5295
        self.xdotool("mousemove", "--window", self.window, str(x), str(y), "click", "1")
        time.sleep(0.3)

    def type_into(self, place, text):
        self.click(place)
        self.xdotool("key", "--window", self.window, "ctrl+a", "BackSpace")
        self.xdotool("type", "--window", self.window, "--delay", "60", text)
        time.sleep(0.2)

    def close(self):
        stop(self.process)
        stop(self.server)


class Terminal:
    """tio in a detached tmux session whose history keeps every line. The
    bursts carry no line end: tio shows them one after another and tmux
    wraps them."""

    name = "tio in tmux"

    def __init__(self, build, work, line, count):
        self.socket = f"tally77-peers-{os.getpid()}"
        config = work / "tmux.conf"
        config.write_text("set -g history-limit 100000\nset -g status off\n")
        self.tmux("-f", str(config), "new-session", "-d", "-x", "160", "-y", "48", f"exec tio -b 300 {line.path}")
        server, pane = self.tmux("display", "-p", "#{pid} #{pane_pid}").split()
        self.process = Figures(int(pane))
        self.display = Figures(int(server))
        self.kept = [self.process, self.display]
        self.last = burst(count).decode()
        self.expected = b"0,0,0,0" + b"".join(burst(number) for number in range(1, count + 1))

    def tmux(self, *arguments):
        return subprocess.run(["tmux", "-L", self.socket, *arguments], check=True, capture_output=True,
                              text=True).stdout

    def shown(self):
        """The stream as tmux keeps it: the lines after tio's own, joined."""
        text = self.tmux("capture-pane", "-p", "-J", "-S", "-", "-E", "-")
        return "".join(line for line in text.splitlines() if not line.startswith("[")).encode()

    def taken_check(self, line):
        return line.read_off

    def arrived(self):
        return self.shown().endswith(self.last.encode())

    def confirmed(self):
        return self.shown() == self.expected

    def close(self):
        subprocess.run(["tmux", "-L", self.socket, "kill-server"], capture_output=True)


def measure(kind, build, count, idle_s, gap_s, data_root=None, baseline=None):
    """One program beside a work_floor, each started on a line of its own,
    idle, then the stream: every reading to the floor, then to the program.
    With a baseline (a Baseline), the program is that build's."""
    with tempfile.TemporaryDirectory(prefix="tally77-peers-", dir=data_root) as folder:
        lines, peers = [], []
        try:
            program_build = baseline.build if baseline else build
            for side, which, built in (("floor", WorkFloor, build), ("program", kind, program_build)):
                work = pathlib.Path(folder) / side
                work.mkdir()
                lines.append(Line())
                peers.append(which(built, work, lines[-1], count))
            floor, program = measure_sides([Side(line, peer) for line, peer in zip(lines, peers)], count, idle_s,
                                           gap_s)
            program.update(name=baseline.named(kind) if baseline else kind.name, floor_us=floor["cpu_us"],
                           floor_confirmed=floor["confirmed"], floor_wakeups=floor["wakeups"],
                           ratio=program["cpu_us"] / floor["cpu_us"] if floor["cpu_us"] else None)  # "-": too short to tell
            return program
        finally:
            for peer in peers:
                peer.close()
            for line in lines:
                line.close()


class Side:
    """A program on its line, and what it had used when last marked."""

    def __init__(self, line, peer):
        self.line, self.peer = line, peer
        self.process = peer.process if isinstance(peer.process, Figures) else Figures(peer.process.pid)
        self.marked = None

    def resident_kib(self):
        return sum(kept.resident_kib() for kept in self.peer.kept)

    def mark(self):
        self.marked = (self.process.cpu_us(), self.peer.display and self.peer.display.cpu_us(),
                       self.resident_kib(), self.process.wakeups())

    def per_line_since_mark(self, count):
        cpu, shown, kept, woken = self.marked
        display = self.peer.display
        return {"cpu_us": (self.process.cpu_us() - cpu) / count,
                "wakeups": (self.process.wakeups() - woken) / count,
                "display_us": display and (display.cpu_us() - shown) / count,
                "growth_b": (self.resident_kib() - kept) * 1024 / count, "confirmed": self.peer.confirmed()}


def measure_sides(sides, count, idle_s, gap_s):
    """The figures of programs side by side, taken over the same minutes."""
    for side in sides:
        wait_for(side.line.opened, 30, "the port was not opened")
    time.sleep(1.0)  # the programs clear their input after opening
    results = [{"resident_start_mib": side.resident_kib() / 1024} for side in sides]
    idle_from = [side.process.thread_cpu_us() for side in sides]
    time.sleep(idle_s)
    for result, side, before in zip(results, sides, idle_from):
        result["idle_ms_per_min"] = (side.process.thread_cpu_us() - before) / 1e3 * 60 / idle_s

    for side in sides:  # the sync burst, thrown away by the capture
        side.line.send(b"0,0,0,0", gap_s, side.line.read_off)
        side.mark()
    started_at = time.monotonic()
    for number in range(1, count + 1):
        for side in sides:  # the gap split: each still sees a reading about every gap
            side.line.send(burst(number), gap_s / len(sides), side.peer.taken_check(side.line))
    for side in sides:
        wait_for(side.peer.arrived, 60, "the last reading was not taken")
    time.sleep(0.5)  # the last repaint
    for result, side in zip(results, sides):
        result.update(side.per_line_since_mark(count), seconds=time.monotonic() - started_at)
    return results


def commit(source=pathlib.Path(__file__).parent):
    done = subprocess.run(["git", "rev-parse", "--short", "HEAD"], capture_output=True, text=True, cwd=source)
    return done.stdout.strip() or "unknown"


class Baseline:
    """The programs of another build, named by the commit of their source."""

    programs = (Window, Capture)

    def __init__(self, build):
        self.build = build
        source = None
        for line in (build / "CMakeCache.txt").read_text().splitlines():
            if line.startswith("CMAKE_HOME_DIRECTORY:"):
                source = pathlib.Path(line.split("=", 1)[1])
        self.commit = commit(source) if source and source.is_dir() else build.name

    def missing(self):
        return [program for program in ("src/window/tally77", "src/service/tally77-capture")
                if not (self.build / program).exists()]

    def named(self, kind):
        return f"{kind.name} at {self.commit}"


def arrived(result):
    """Every reading arrived, at the program and at the floor beside it."""
    return result["confirmed"] and result["floor_confirmed"]


def table(results, count, gap_ms, build, loads):
    kinds = list(dict.fromkeys(result["name"] for result in results))

    def joined(name, key, form):
        values = [result[key] for result in results if result["name"] == name]
        if any(value is None for value in values):
            return "-"
        return " / ".join(form.format(value) for value in values)

    def median(name, key, form):
        """The middle round's figure: one round alone is worth little on a
        machine whose speed comes and goes."""
        values = [result[key] for result in results if result["name"] == name]
        return "-" if any(value is None for value in values) else form.format(statistics.median(values))

    lines = [
        f"{count:,} readings, each {gap_ms} ms after the program had taken the one before (\"cp.txt\" replaced; "
        "for tio, read off the line), each reading sent first to a `work_floor` beside the program (half the gap after each), "
        f"interval {INTERVAL_MS} ms, build `{build.name}`, code of commit {commit()}, "
        f"{datetime.date.today().isoformat()}. Each program's runs in run order (the peers interleaved). "
        f"Load average {loads[0]} at the start and {loads[1]} at the end on {os.cpu_count()} cores; "
        "the figures are CPU time, not wall time.",
        "",
        "| program | CPU per line | `work_floor` beside it | ratio | median ratio "
        "| wake-ups per line (its floor's) | display server per line "
        "| memory growth per line | idle CPU, port open | resident at start | every reading arrived |",
        "|---|---|---|---|---|---|---|---|---|---|---|",
    ]
    for name in kinds:
        server = joined(name, "display_us", "{:.0f} µs")
        if name == Terminal.name and server != "-":
            server += " (tmux server)"
        lines.append(" | ".join([
            f"| {name}", joined(name, "cpu_us", "{:.0f} µs"), joined(name, "floor_us", "{:.0f} µs"),
            joined(name, "ratio", "{:.2f}x"), median(name, "ratio", "{:.2f}x"),
            joined(name, "wakeups", "{:.2f}") + " (" + joined(name, "floor_wakeups", "{:.2f}") + ")", server,
            joined(name, "growth_b", "{:.0f} B"),
            joined(name, "idle_ms_per_min", "{:.1f} ms/min"),
            joined(name, "resident_start_mib", "{:.1f} MiB"),
            " / ".join("yes" if arrived(r) else "**no**" for r in results if r["name"] == name)]) + " |")
    return "\n".join(lines)


def write_readme(readme, text):
    old = readme.read_text()
    block = f"{BEGIN_MARK}\n{text}\n{END_MARK}"
    if BEGIN_MARK in old and END_MARK in old:
        head, rest = old.split(BEGIN_MARK, 1)
        new = head + block + rest.split(END_MARK, 1)[1]
    else:
        new = old.rstrip("\n") + "\n\n## Beside serial terminals\n\n" + block + "\n"
    readme.write_text(new)


def main():
    here = pathlib.Path(__file__).resolve().parent
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=str(here.parent / "build-bench"), help="build directory")
    parser.add_argument("--baseline", help="another build whose window and service run beside them")
    parser.add_argument("--count", type=int, default=10000, help="readings (a multiple of 16)")
    parser.add_argument("--gap-ms", type=int, default=10, help="quiet time between readings")
    parser.add_argument("--idle", type=float, default=60, help="seconds idle with the port open")
    parser.add_argument("--runs", type=int, default=2, help="rounds of the three programs")
    parser.add_argument("--data-root", help="where the data directories are made (the temporary directory)")
    parser.add_argument("--readme", help="write the table into this file's marked section")
    arguments = parser.parse_args()
    if arguments.count < 16 or arguments.count % 16:
        parser.error("--count must be a positive multiple of 16")
    build = pathlib.Path(arguments.build).resolve()
    for program in ("Xvfb", "xdotool", "tio", "tmux"):
        if shutil.which(program) is None:
            print(f"peers.py: skipped: {program} is not installed", file=sys.stderr)
            return 77
    for program in (WorkFloor.program, QtFloor.program):
        if not (build / program).exists():
            print(f"peers.py: skipped: {build / program} is not built (target benchmarks)", file=sys.stderr)
            return 77
    baseline = None
    if arguments.baseline:
        baseline = Baseline(pathlib.Path(arguments.baseline).resolve())
        if baseline.missing():
            parser.error(f"--baseline {baseline.build} has no {', '.join(baseline.missing())}")
    rounds = []  # a program of the baseline right after the same program of the build
    for kind in (Window, Capture, QtFloor, Terminal):
        rounds += [(kind, None)] + ([(kind, baseline)] if baseline and kind in Baseline.programs else [])
    loads = [os.getloadavg()[0]]
    results = []
    for run in range(arguments.runs):
        for kind, other in rounds:
            result = measure(kind, build, arguments.count, arguments.idle, arguments.gap_ms / 1000,
                             arguments.data_root, other)
            print(f"run {run + 1} {result}", flush=True)
            results.append(result)
    loads.append(os.getloadavg()[0])
    text = table(results, arguments.count, arguments.gap_ms, build, [f"{load:.1f}" for load in loads])
    print(text)
    if arguments.readme:
        write_readme(pathlib.Path(arguments.readme), text)
    return 0 if all(arrived(result) for result in results) else 1


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, signal.default_int_handler)
    sys.exit(main())
