#!/usr/bin/python3
"""The program as a screen reader meets it: read over AT-SPI, driven by the keyboard alone.

Starts a private X server (with a window manager, so the window gets the keyboard), a session
bus with the accessibility bus, and the real program on a pseudo-terminal that this test plays
the device on. Then:
  - the device sends #8M25.5<, and Instr8 reads 25.5 (with its unit) over AT-SPI;
  - a burst of thousands of values is announced a few times a second, the last value always;
  - Tab moves the focus to Instr70, and Space pressed and let go sends #70M1< and then #70M0<;
  - Ctrl+Q ends the program the normal way: exit code 0, settings saved.
usage: accessibility_test.py PROGRAM.  Exit 77 (skipped) without the AT-SPI bindings or tools.
"""
import os
import pty
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import tty

SKIP = 77
SETTINGS = ('[FormMain\\C:\\Users\\Kalbrino\\AppData\\Local]\r\n'
            'CheckBox8_Checked=TRUE\r\nCheckBox70_Checked=TRUE\r\nInstr70_Hint=0\r\n')
LAUNCHER = '/usr/libexec/at-spi-bus-launcher'


def skip(why):
    print(f'SKIPPED: {why} (scripts/deps installs what is needed)')
    sys.exit(SKIP)


def wait_for(what, check, timeout=20.0, step=0.02):
    from gi.repository import GLib
    deadline = time.monotonic() + timeout
    while True:
        while GLib.MainContext.default().iteration(False):  # AT-SPI events arrive here
            pass
        result = check()
        if result:
            return result
        if time.monotonic() >= deadline:
            raise AssertionError(f'timed out waiting for {what}')
        time.sleep(step)


class Session:
    """Private X server, window manager, session and accessibility buses; ended in reverse."""

    def __init__(self, root):
        self.procs = []
        self.root = root
        run = os.path.join(root, 'run')
        os.makedirs(run, mode=0o700)
        os.makedirs(os.path.join(root, 'home', '.config'))
        self.env = dict(os.environ, HOME=os.path.join(root, 'home'),
                        XDG_CONFIG_HOME=os.path.join(root, 'home', '.config'), XDG_RUNTIME_DIR=run,
                        DBUS_SESSION_BUS_ADDRESS=f'unix:path={run}/bus')
        self.env.pop('QT_QPA_PLATFORM', None)
        self.env.pop('AT_SPI_BUS_ADDRESS', None)

    def start(self, args, **kw):
        p = subprocess.Popen(args, env=self.env, **kw)
        self.procs.append(p)
        return p

    def up(self):
        r, w = os.pipe()
        self.start(['Xvfb', '-displayfd', str(w), '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'],
                   pass_fds=(w,), stderr=subprocess.DEVNULL)
        os.close(w)
        number = b''
        while select.select([r], [], [], 30)[0]:
            c = os.read(r, 1)
            if not c or c == b'\n':
                break
            number += c
        os.close(r)
        if not number:
            raise AssertionError('Xvfb did not start')
        self.env['DISPLAY'] = ':' + number.decode()
        bus = subprocess.run(['dbus-daemon', '--session', '--fork', '--print-pid=1',
                              '--address=' + self.env['DBUS_SESSION_BUS_ADDRESS']],
                             env=self.env, capture_output=True, text=True, check=True)
        self.bus_pid = int(bus.stdout.split()[0])
        self.start([LAUNCHER, '--launch-immediately', '--a11y=1'], stderr=subprocess.DEVNULL)
        ready = os.path.join(self.root, 'ready')
        self.start(['openbox', '--sm-disable', '--startup', 'touch ' + ready], stderr=subprocess.DEVNULL)
        wait_for('the window manager', lambda: os.path.exists(ready))
        os.environ.update(self.env)  # this process's AT-SPI client uses the same buses

    def down(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
                try:
                    p.wait(5)
                except subprocess.TimeoutExpired:
                    p.kill()
                    p.wait()
        if getattr(self, 'bus_pid', None):
            os.kill(self.bus_pid, signal.SIGTERM)


def read_device(master, expected, timeout=10.0):
    got = b''
    deadline = time.monotonic() + timeout
    while len(got) < len(expected):
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([master], [], [], left)[0]:
            break
        got += os.read(master, 256)
    return got


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    program = sys.argv[1]
    try:
        import gi
        gi.require_version('Atspi', '2.0')
        from gi.repository import Atspi, GLib
    except (ImportError, ValueError) as e:
        skip(f'no AT-SPI bindings for python3 ({e})')
    for tool in ('Xvfb', 'dbus-daemon', 'openbox', 'xdotool', LAUNCHER):
        if not shutil.which(tool):
            skip(f'{tool} is not installed')

    def find(app, name):
        """The accessible of that name, depth first, or None."""
        stack = [app]
        while stack:
            acc = stack.pop()
            try:
                if acc.get_name() == name:
                    return acc
                stack.extend(acc.get_child_at_index(i) for i in reversed(range(acc.get_child_count())))
            except GLib.Error:
                continue
        return None

    def focused(acc):
        return acc.get_state_set().contains(Atspi.StateType.FOCUSED)

    with tempfile.TemporaryDirectory() as root:
        session = Session(root)
        master, slave = pty.openpty()
        tty.setraw(slave)
        settings = os.path.join(root, 'settings.ini')
        with open(settings, 'w', newline='') as f:
            f.write(SETTINGS)
        try:
            session.up()
            session.env['QT_LINUX_ACCESSIBILITY_ALWAYS_ON'] = '1'
            prog = session.start([program, '--settings', settings, '--port', os.ttyname(slave), '--connect'])

            def app_on_bus():
                desktop = Atspi.get_desktop(0)
                for i in range(desktop.get_child_count()):
                    try:
                        a = desktop.get_child_at_index(i)
                        if a is not None and a.get_process_id() == prog.pid:
                            return a
                    except GLib.Error:
                        continue
                return None
            app = wait_for('the program on the accessibility bus', app_on_bus)
            meter = wait_for('Instr8', lambda: find(app, 'Instr8'))
            button = wait_for('Instr70', lambda: find(app, 'Instr70'))

            # Read as a screen reader reads: the Value interface and the description.
            assert 'Value' in meter.get_interfaces(), meter.get_interfaces()
            assert Atspi.Value.get_current_value(meter) == 50.0
            assert Atspi.Value.get_maximum_value(meter) == 100.0

            # The device speaks once the program has the port open: sent until it is heard.
            def heard():
                os.write(master, b'#8M25.5<')
                return wait_for_value(0.5)

            def wait_for_value(t, value=25.5):
                try:
                    return wait_for(str(value), lambda: Atspi.Value.get_current_value(meter) == value, t)
                except AssertionError:
                    return False

            def heard_value(value):
                os.write(master, b'#8M%g<' % value)
                return wait_for_value(2.0, value)
            wait_for('Instr8 to read 25.5', heard)
            description = meter.get_description()
            assert description.startswith('25.5 %'), description
            print(f'Instr8: {meter.get_role_name()}, value 25.5, "{description}"')

            # A device that floods: the listener hears a few values a second, and the last.
            told = []

            def on_value(event):
                try:
                    if event.source.get_name() == 'Instr8':
                        told.append(Atspi.Value.get_current_value(event.source))
                except GLib.Error:
                    pass
            listener = Atspi.EventListener.new(on_value)
            listener.register('object:property-change:accessible-value')
            probe = iter(range(11, 90))  # values until one is told: the program learns of the listener late
            wait_for('the listener to be told a value', lambda: heard_value(float(next(probe))) and told)
            told.clear()
            burst = b''.join(b'#8M%d<' % (i % 90) for i in range(5000)) + b'#8M33.75<'
            start = time.monotonic()
            while burst:
                burst = burst[os.write(master, burst):]
            wait_for('33.75 to be told', lambda: told and told[-1] == 33.75)
            spent = time.monotonic() - start
            assert len(told) <= 2 + spent / 0.25, f'{len(told)} announcements in {spent:.2f} s'
            print(f'Instr8: 5001 values announced {len(told)} times in {spent:.2f} s, the last 33.75')

            # Keyboard alone: Tab (the button is the only input shown, so Tab lands on it whether
            # or not the window gave it the focus), then hold Space and let it go.
            def xdotool(*args):
                subprocess.run(['xdotool', *args], env=session.env, check=True)
            xdotool('key', 'Tab')
            wait_for('Instr70 to have the keyboard', lambda: focused(button), 5.0)
            xdotool('keydown', 'space')
            got = read_device(master, b'#70M1<')
            assert got == b'#70M1<', f'while Space is held the device got {got!r}'
            xdotool('keyup', 'space')
            got = read_device(master, b'#70M0<')
            assert got == b'#70M0<', f'after Space was let go the device got {got!r}'
            print('Instr70: Space sent #70M1< and #70M0<')

            # Ctrl+Q ends it the normal way: the settings file is written again.
            before = os.stat(settings).st_mtime_ns
            xdotool('key', 'ctrl+q')
            rc = prog.wait(20)
            assert rc == 0, f'exit code {rc}'
            with open(settings, newline='') as f:
                saved = f.read()
            assert os.stat(settings).st_mtime_ns != before and 'Instr8_Left=' in saved, 'settings not saved'
            print('Ctrl+Q: ended with 0, settings saved')
        finally:
            session.down()
            os.close(master)
            os.close(slave)
    print('PASSED')


if __name__ == '__main__':
    main()
