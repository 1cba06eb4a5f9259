"""What scripts/soak and scripts/bench-saver share: a private Wine session of scripts/wine-session
and a few readings of the programs running in it."""

import contextlib
import os
import shlex
import shutil
import subprocess
import time

HERE = os.path.dirname(os.path.abspath(__file__))


class Failure(RuntimeError):
    pass


def session_environment(session_dir):
    """The environment of a Wine program of the session: ours, with the session's session.env."""
    env = dict(os.environ)
    with open(os.path.join(session_dir, "session.env")) as session:
        for line in session:
            for word in shlex.split(line, comments=True):
                key, _, value = word.partition("=")
                env[key] = value
    return env


@contextlib.contextmanager
def private_session(session_dir, prefix_template):
    """Starts a session in session_dir (its prefix a copy of prefix_template when that is a
    finished one) and yields its environment; ends it and removes session_dir afterwards."""
    script = os.path.join(HERE, "wine-session")
    start_env = dict(os.environ, QUILLOMAR_PREFIX_TEMPLATE=prefix_template)
    try:
        subprocess.run([script, "start", session_dir], env=start_env, check=True,
                       stdout=subprocess.DEVNULL)
        yield session_environment(session_dir)
    finally:
        subprocess.run([script, "stop", session_dir], stdout=subprocess.DEVNULL)
        shutil.rmtree(session_dir, ignore_errors=True)


def quietly(command, env):
    """Runs a command, its output as text, its errors dropped."""
    return subprocess.run(command, env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          text=True)


def resident_kib(pid):
    """VmRSS of a Linux process; a Wine launcher becomes its Windows process, so a program's."""
    try:
        with open("/proc/%d/status" % pid) as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    raise Failure("no VmRSS for process %d: has it died?" % pid)


def window_of(title, env, seconds):
    """The X window titled exactly so, waiting for it up to seconds; None if none came."""
    deadline = time.monotonic() + seconds
    while True:
        found = quietly(["xdotool", "search", "--name", "^%s$" % title], env).stdout.split()
        if found:
            return found[0]
        if time.monotonic() >= deadline:
            return None
        time.sleep(0.05)


def still_mouse(env):
    """The pointer in the middle of the screen, where a full-screen window's focus puts it."""
    quietly(["xdotool", "mousemove", "512", "384"], env)
