#!/usr/bin/python3
"""The capture window as a screen reader walks it over AT-SPI.

Starts its own X server (Xvfb), D-Bus session and accessibility bus, the
processor simulator on a pseudo-terminal and tally77 on it. Works the window
through its accessible controls only (found by their accessible names),
captures one set, then reads List1's rows and the status label's text, and
checks the events a screen reader hears: new rows, the status change and a
selected row. Exits 77 (skipped) with the reason when a part cannot start.

usage: read_capture_window.py TALLY77 TALLY77_SIM
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
PATIENCE = 60  # seconds for the window to come up and for the set to be captured;
# the suite runs it beside other tests on two loaded cores


def skip(reason):
    print("SKIPPED: " + reason)
    sys.exit(SKIP)


WINDOW_LOG = []  # where the window's own output goes, shown with a failure


def fail(reason):
    print("FAILED: " + reason)
    for log in WINDOW_LOG:
        with open(log, errors="replace") as said:
            print("tally77 said:\n" + said.read()[-2000:])
    sys.exit(1)


class Processes:
    """Everything started here, stopped at the end in reverse order."""

    def __init__(self):
        self.started = []

    def start(self, arguments, **options):
        process = subprocess.Popen(arguments, **options)
        self.started.append(process)
        return process

    def stop(self):
        for process in reversed(self.started):
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()


def find_bus_launcher():
    for folder in ("/usr/libexec", "/usr/lib/at-spi2-core", "/usr/lib/at-spi2"):
        path = os.path.join(folder, "at-spi-bus-launcher")
        if os.access(path, os.X_OK):
            return path
    return None


def start_display(processes):
    if shutil.which("Xvfb") is None:
        skip("Xvfb is not installed")
    read_end, write_end = os.pipe()
    processes.start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "800x600x24",
                     "-nolisten", "tcp"], pass_fds=(write_end,),
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    # Xvfb writes the number and the line end apart, and gives up when the
    # second write fails: read the whole line before closing.
    said = b""
    while not said.endswith(b"\n"):
        chunk = os.read(read_end, 32)
        if not chunk:
            break
        said += chunk
    os.close(read_end)
    number = said.decode().strip()
    if not number:
        skip("Xvfb did not start")
    os.environ["DISPLAY"] = ":" + number


def start_buses(processes):
    if shutil.which("dbus-launch") is None:
        skip("dbus-launch (dbus-x11) is not installed")
    launcher = find_bus_launcher()
    if launcher is None:
        skip("at-spi-bus-launcher (at-spi2-core) is not installed")
    # The daemon dbus-launch leaves behind keeps its output open: read it
    # from a file, not a pipe.
    with tempfile.TemporaryFile("w+") as said:
        found = subprocess.run(["dbus-launch", "--sh-syntax"], stdout=said,
                               stderr=subprocess.DEVNULL)
        said.seek(0)
        words = said.read()
    if found.returncode != 0:
        skip("no D-Bus session could be started")
    for name, value in re.findall(r"^(\w+)='?([^';\n]*)'?;", words, re.M):
        os.environ[name] = value
    bus_pid = int(os.environ.get("DBUS_SESSION_BUS_PID", "0"))
    if bus_pid <= 0:
        skip("dbus-launch named no bus daemon")
    processes.started.append(PidProcess(bus_pid))
    processes.start([launcher, "--launch-immediately"],
                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # Nothing may ask for the accessibility bus before this launcher holds
    # its name: the session bus would start a second launcher to answer,
    # this one would quit, the second would outlive the test, and on a
    # loaded machine the window then sometimes could not reach the X server
    # at all and never came on the bus.
    if shutil.which("gdbus") is None:
        skip("gdbus (libglib2.0-bin) is not installed")
    held = subprocess.run(["gdbus", "wait", "--session", "--timeout", str(PATIENCE), "org.a11y.Bus"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if held.returncode != 0:
        skip("at-spi-bus-launcher did not take org.a11y.Bus within %d s" % PATIENCE)


class PidProcess:
    """A process started by another (the D-Bus daemon dbus-launch forks)."""

    def __init__(self, pid):
        self.pid = pid

    def poll(self):
        try:
            os.kill(self.pid, 0)
            return None
        except OSError:
            return 0

    def send_signal(self, number):
        os.kill(self.pid, number)

    def wait(self, seconds):
        deadline = time.time() + seconds
        while self.poll() is None and time.time() < deadline:
            time.sleep(0.05)

    def kill(self):
        self.send_signal(signal.SIGKILL)


def import_atspi():
    try:
        import pyatspi  # noqa: imported once the buses exist
        from gi.repository import GLib
    except ImportError as error:
        skip("python3-pyatspi is not installed: %s" % error)
    return pyatspi, GLib


class Window:
    """tally77's accessible tree, and the events heard from it."""

    def __init__(self, pyatspi, GLib):
        self.pyatspi = pyatspi
        self.context = GLib.MainContext.default()
        self.heard = []
        for kind in ("object:children-changed:add", "object:property-change:accessible-name",
                     "object:state-changed:selected"):
            pyatspi.Registry.registerEventListener(self.hear, kind)
        self.application = self.wait_for(self.find_application, PATIENCE, "tally77 on the AT-SPI bus")

    def hear(self, event):
        try:
            source = event.source
            self.heard.append((event.type, source.name, source.getIndexInParent(),
                               source.parent.name if source.parent else ""))
        except Exception:  # a source gone meanwhile
            pass

    def pump(self, seconds):
        deadline = time.time() + seconds
        while time.time() < deadline:
            while self.context.iteration(False):
                pass
            time.sleep(0.02)

    def wait_for(self, probe, seconds, what):
        deadline = time.time() + seconds
        while time.time() < deadline:
            found = probe()
            if found:
                return found
            self.pump(0.1)
        fail("timed out waiting for " + what)

    def find_application(self):
        desktop = self.pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            application = desktop.getChildAtIndex(index)
            if application is not None and application.name == "tally77":
                return application
        return None

    def control(self, name, role):
        def matches(accessible):
            return accessible is not None and accessible.name == name and \
                accessible.getRoleName() == role
        found = self.pyatspi.findDescendant(self.application, matches)
        if found is None:
            fail("no %s named %r" % (role, name))
        return found

    def control_described(self, description):
        found = self.pyatspi.findDescendant(
            self.application, lambda a: a is not None and a.description == description)
        if found is None:
            fail("no control described %r" % description)
        return found

    def type_into(self, name, text):
        box = self.control(name, "text")
        box.queryEditableText().setTextContents(text)

    def press(self, name):
        button = self.control(name, "push button")
        button.queryAction().doAction(0)
        self.pump(0.2)


def main():
    if len(sys.argv) != 3:
        fail(__doc__)
    tally77, simulator = sys.argv[1], sys.argv[2]
    processes = Processes()
    work = tempfile.mkdtemp(prefix="tally77-atspi-")
    try:
        start_display(processes)
        start_buses(processes)
        pyatspi, GLib = import_atspi()

        data = os.path.join(work, "DEMO")
        os.mkdir(data)
        sim_log = open(os.path.join(work, "sim.log"), "w+")
        processes.start([simulator, "--bursts", "32", "--fast", "--gap", "500"],
                        stdout=sim_log, stderr=subprocess.STDOUT)
        deadline = time.time() + PATIENCE
        pty = ""
        while not pty and time.time() < deadline:
            sim_log.seek(0)
            pty = sim_log.readline().strip()
            time.sleep(0.05)
        if not pty:
            fail("the simulator gave no pseudo-terminal")

        environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                           QT_QPA_PLATFORM="xcb", XDG_CONFIG_HOME=os.path.join(work, "config"))
        environment.pop("QT_ACCESSIBILITY", None)
        WINDOW_LOG.append(os.path.join(work, "window.log"))
        processes.start([tally77, "--com1", pty, "--data-dir", data], env=environment,
                        stdout=open(WINDOW_LOG[0], "w"), stderr=subprocess.STDOUT)

        window = Window(pyatspi, GLib)
        print("tally77 found on the accessibility bus", flush=True)
        window.type_into("Obs #", "")
        window.press("Init")
        window.type_into("Obs #", "2")
        window.type_into("Interval", "200")
        window.press("Com1")
        print("Com1 pressed on " + pty, flush=True)

        status = window.control_described("Progress template.")
        set_file = os.path.join(data, "fl.db1")
        window.wait_for(lambda: os.path.exists(set_file) and os.path.getsize(set_file) > 0,
                        PATIENCE, "the first set in fl.db1")
        window.wait_for(lambda: status.name == "We have a good reading ", PATIENCE,
                        "the status label to say the set is good")

        print("first set captured", flush=True)
        list1 = window.control("Processor data stream", "list")
        rows = list1.childCount
        if rows < 16:
            fail("List1 has %d rows, fewer than the 16 readings of a set" % rows)
        texts = []
        for index in range(rows):
            row = list1.getChildAtIndex(index)
            if row is None or row.getRoleName() != "list item" or not row.name:
                fail("List1 row %d cannot be read" % index)
            texts.append(row.name)
        readings = [text for text in texts if re.fullmatch(r"\d\d(,\d+){3}", text)]
        channels = sorted({int(text[:2]) for text in readings})
        if channels != list(range(1, 17)):
            fail("List1 rows do not hold channels 1 to 16: %r" % texts)

        # The screen reader heard the new rows and the status change.
        def heard(kind, name, parent_name=None):
            return [index for said, source, index, parent in window.heard
                    if said == kind and source == name and parent_name in (None, parent)]
        if not heard("object:children-changed:add", "Processor data stream"):
            fail("no new row of List1 was announced: %r" % window.heard[:20])
        if not heard("object:property-change:accessible-name", "We have a good reading "):
            fail("the status change was not announced: %r" % window.heard[:20])

        # A row chosen is announced as selected, and can be read as such.
        list1.queryComponent().grabFocus()
        window.pump(0.3)
        pyatspi.Registry.generateKeyboardEvent(0xff57, None, pyatspi.KEY_SYM)  # End
        def selected_rows():
            return [index for said, source, index, parent in window.heard
                    if said == "object:state-changed:selected" and
                    parent == "Processor data stream"]
        row = window.wait_for(selected_rows, PATIENCE, "the selected row of List1 to be announced")[-1]
        if not list1.getChildAtIndex(row).getState().contains(pyatspi.STATE_SELECTED):
            fail("row %d of List1 was announced selected but is not" % row)

        print("List1: %d rows read, status %r" % (rows, status.name))
    finally:
        processes.stop()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
