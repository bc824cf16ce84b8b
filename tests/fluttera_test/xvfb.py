"""An X server of its own for a test or a measurement: the one place Xvfb is started.

As a command, it runs another command on a fresh server and stops the server after it:
    python3 -m fluttera_test.xvfb [--size WxH] [--xvfb-arg ARG ...] -- COMMAND [ARG ...]
The command gets DISPLAY; the exit code is the command's."""
import os
import signal
import subprocess
import sys

from . import end_process


def start_server(argv, failure):
    """Starts an X server that picks a display number no one else uses and says which once it
    accepts clients (-displayfd); returns (process, display). Raises with `failure` when it
    says none."""
    r, w = os.pipe()
    proc = subprocess.Popen([*argv, "-displayfd", str(w)], pass_fds=(w,),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(w)
    with os.fdopen(r) as f:
        number = f.readline().strip()
    if not number.isdigit():
        proc.kill()
        proc.wait()
        raise RuntimeError(failure)
    return proc, ":" + number


class Xvfb:
    """Xvfb on a display number no one else uses (Xvfb picks it and says which once it
    accepts clients), a 24-bit screen of the given size, no TCP."""

    def __init__(self, width=1280, height=800, extra=()):
        self.proc, self.display = start_server(["Xvfb", "-screen", "0", f"{width}x{height}x24", "-nolisten",
                                                "tcp", *extra], "Xvfb did not start")
        self.width, self.height = width, height

    @property
    def pid(self):
        return self.proc.pid

    def stop(self):
        end_process(self.proc)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


def main(argv):
    size, extra = "1280x800", []
    while argv and argv[0] != "--":
        if argv[0] == "--size" and len(argv) > 1:
            size, argv = argv[1], argv[2:]
        elif argv[0] == "--xvfb-arg" and len(argv) > 1:
            extra.append(argv[1])
            argv = argv[2:]
        else:
            sys.exit(__doc__)
    command = argv[1:]
    if not command:
        sys.exit(__doc__)
    width, height = (int(v) for v in size.split("x"))
    return run_on(lambda: Xvfb(width, height, extra), command)


def run_on(server, command):
    """Runs a command on a fresh X server (made by `server`) and stops the server after it;
    returns the command's exit code."""
    with server() as x:
        child = subprocess.Popen(command, env=dict(os.environ, DISPLAY=x.display))
        # A stop asked of this wrapper goes to the command first, then the server stops.
        for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            signal.signal(sig, lambda s, _f: child.send_signal(s))
        rc = child.wait()
    return rc if rc >= 0 else 128 - rc


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
