"""What the campaign scripts share: a private sandbox for the program and the simulator, the
running program asked for its status, and its process looked at through /proc."""

import json
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.path.abspath(os.environ.get("BUILD_DIR", os.path.join(ROOT, "build")))
APP = os.path.join(BUILD, "src", "app", "tavelgrid")
SIM = os.path.join(BUILD, "tools", "sim", "tavelgrid-sim")
DEMO_SETTINGS = os.path.join(ROOT, "scripts", "data", "demo-settings.ini")
CLK_TCK = os.sysconf("SC_CLK_TCK")
PAGE_KB = os.sysconf("SC_PAGE_SIZE") // 1024


def need_build():
    for path in (APP, SIM):
        if not os.access(path, os.X_OK):
            sys.exit(f"{path} is missing: cmake --build {BUILD} --target tavelgrid tavelgrid-sim")


def count_arg(default):
    """The first argument as a positive count, else the default."""
    if len(sys.argv) > 1:
        try:
            n = int(sys.argv[1])
        except ValueError:
            n = 0
        if n <= 0:
            sys.exit(f"usage: {os.path.basename(sys.argv[0])} [COUNT] (default {default})")
        return n
    return default


def seeded_random():
    """A random source whose seed is printed, so that a failing run can be repeated (CAMPAIGN_SEED)."""
    seed = int(os.environ.get("CAMPAIGN_SEED", str(int.from_bytes(os.urandom(4), "little"))))
    print(f"seed {seed} (CAMPAIGN_SEED={seed} repeats this run)", flush=True)
    return random.Random(seed)


def wait_for(predicate, timeout, interval=0.02):
    """Polls until predicate() is truthy; its last value, or None after timeout seconds."""
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= end:
            return None
        time.sleep(interval)


def percentile(values, p):
    if not values:
        return float("nan")
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100 * (len(ordered) - 1))))]


class Hang(Exception):
    pass


class Sandbox:
    """Runtime folder (single-instance channel, announced ports) and settings folder of one run,
    so nothing of the user's is touched and a campaign never meets another copy."""

    def __init__(self, display=None):
        self.dir = tempfile.mkdtemp(prefix="tg-campaign-")
        self.run = os.path.join(self.dir, "run")
        self.config = os.path.join(self.dir, "config")
        os.mkdir(self.run, 0o700)
        os.mkdir(self.config)
        self.settings = os.path.join(self.config, "Tavelgrid.ini")
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.run, XDG_CONFIG_HOME=self.config)
        if display:
            self.env.update(DISPLAY=display, QT_QPA_PLATFORM="xcb")
        else:
            self.env["QT_QPA_PLATFORM"] = "offscreen"
        self.children = []

    def status(self, timeout=5.0):
        """The running copy's status as a dict; None when no copy answers; Hang when the
        question is not answered within timeout seconds."""
        env = {k: v for k, v in self.env.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
        try:
            r = subprocess.run([APP, "--status"], env=env, capture_output=True, timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Hang(f"--status not answered within {timeout} s")
        if r.returncode != 0:
            return None
        return json.loads(r.stdout)

    def start_program(self, args, stderr_name="program.err"):
        p = Program(self, args, os.path.join(self.dir, stderr_name))
        self.children.append(p.proc)
        return p

    def start_simulator(self, args, link="campaign"):
        s = Simulator(self, args, link)
        self.children.append(s.proc)
        return s

    def close(self):
        for c in self.children:
            if c.poll() is None:
                c.kill()
                c.wait()
        shutil.rmtree(self.dir, ignore_errors=True)


class Program:
    def __init__(self, box, args, stderr_path):
        self.box = box
        self.stderr_path = stderr_path
        self.started_at = time.monotonic()
        with open(stderr_path, "wb") as err:
            self.proc = subprocess.Popen([APP] + args, env=box.env, stdin=subprocess.DEVNULL,
                                         stdout=subprocess.DEVNULL, stderr=err)
        self.pid = self.proc.pid

    def wait_started(self, timeout=30.0):
        """The status once the program answers; None when it never did."""
        def answered():
            if self.proc.poll() is not None:
                raise RuntimeError(f"the program ended with {self.proc.returncode} while starting: {self.stderr()}")
            return self.box.status()
        return wait_for(answered, timeout, 0.05)

    def stderr(self):
        with open(self.stderr_path, "rb") as f:
            return f.read().decode(errors="replace")

    def fds(self):
        return len(os.listdir(f"/proc/{self.pid}/fd"))

    def threads(self):
        return len(os.listdir(f"/proc/{self.pid}/task"))

    def cpu_ticks(self):
        with open(f"/proc/{self.pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])  # utime + stime

    def rss_kb(self):
        with open(f"/proc/{self.pid}/statm") as f:
            return int(f.read().split()[1]) * PAGE_KB

    def cpu_share(self, seconds):
        """Share of one core the program used over the next seconds."""
        t0, c0 = time.monotonic(), self.cpu_ticks()
        time.sleep(seconds)
        return (self.cpu_ticks() - c0) / CLK_TCK / (time.monotonic() - t0)

    def signal(self, sig):
        if self.proc.poll() is None:
            self.proc.send_signal(sig)

    def end(self, timeout=30.0):
        """Ends it with SIGTERM; its exit code, or None when it did not end in time (then killed)."""
        self.signal(signal.SIGTERM)
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
            return None


class Simulator:
    """The device simulator; its first output line is the port to open (the announced link)."""

    def __init__(self, box, args, link):
        out = os.path.join(box.dir, f"sim-{link}.out")
        with open(out, "wb") as o:
            self.proc = subprocess.Popen([SIM, "--quiet", "--link", link] + args, env=box.env,
                                         stdin=subprocess.PIPE, stdout=o, stderr=subprocess.DEVNULL)

        def first_line():
            if self.proc.poll() is not None:
                raise RuntimeError(f"the simulator ended with {self.proc.returncode}")
            with open(out) as f:
                line = f.readline()
            return line.strip() if line.endswith("\n") else None
        self.port = wait_for(first_line, 10)
        if not self.port:
            raise RuntimeError("the simulator never named its port")

    def command(self, text):
        self.proc.stdin.write(text.encode() + b"\n")
        self.proc.stdin.flush()

    def kill(self):
        self.proc.kill()
        self.proc.wait()

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait()
