"""What scripts/run-web, scripts/bench-web and the browser test share: the page served on
127.0.0.1, headless Chromium driven over its DevTools protocol, and PNG pictures read back.

Chromium speaks the protocol over a pipe (--remote-debugging-pipe: JSON messages ended by a NUL
byte, read from its fd 3, written to its fd 4), so the client needs nothing beyond Python's own
library and opens no debugging port."""

import base64
import fcntl
import functools
import http.server
import json
import os
import queue
import shutil
import subprocess
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PAGE_DIR = os.path.join(os.path.dirname(HERE), "build", "web")
PAGE_FILES = ("index.html", "quillomar.js", "quillomar.wasm")

# Software WebGL (SwiftShader through ANGLE), no network, nothing kept between runs.
CHROMIUM_FLAGS = ["--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
                  "--no-sandbox", "--disable-background-networking",
                  "--disable-component-update", "--disable-sync", "--no-first-run",
                  "--no-default-browser-check", "--mute-audio", "--remote-debugging-pipe"]


# What a command answers when the document it addressed went away under a navigation; such a
# command is sent again, a bounded number of times, once the next document may be there.
NAVIGATION_ERRORS = ("Execution context was destroyed", "Cannot find context with specified id",
                     "Cannot find default execution context", "Inspected target navigated")
NAVIGATION_RETRIES = 5


class Failure(RuntimeError):
    pass


class CQuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map,
                          **{".wasm": "application/wasm", ".js": "text/javascript"})

    def log_message(self, *arguments):
        pass


def serve(directory, port=0):
    """Serves directory on 127.0.0.1 (a free port unless given) from a thread of its own;
    returns the server, whose shutdown() ends it, and its address."""
    handler = functools.partial(CQuietHandler, directory=directory)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f"http://127.0.0.1:{server.server_address[1]}/"


def chromium_path():
    path = shutil.which("chromium")
    if not path:
        raise Failure("no Chromium: scripts/install-deps web installs it")
    return path


def above_nine(fd):
    moved = fcntl.fcntl(fd, fcntl.F_DUPFD, 10)
    os.close(fd)
    return moved


class CBrowser:
    """One headless Chromium, ended by close() (only the process it started, by its id)."""

    def __init__(self):
        self.Profile = tempfile.mkdtemp(prefix="quillomar-chromium.")
        to_browser_read, self.ToBrowser = os.pipe()
        self.FromBrowser, from_browser_write = os.pipe()
        # The shell puts the pipes at the descriptors Chromium reads and writes, then becomes it;
        # from above 9, so that putting one cannot overwrite the other.
        to_browser_read, from_browser_write = (above_nine(to_browser_read),
                                               above_nine(from_browser_write))
        command = ["bash", "-c", f'exec "$0" "$@" 3<&{to_browser_read} 4>&{from_browser_write}',
                   chromium_path(), *CHROMIUM_FLAGS,
                   f"--user-data-dir={self.Profile}", "about:blank"]
        self.Process = subprocess.Popen(command, pass_fds=(to_browser_read, from_browser_write),
                                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        os.close(to_browser_read)
        os.close(from_browser_write)
        self.NextId = 0
        self.Replies = {}
        self.Events = []
        self.Incoming = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        pending = b""
        while True:
            chunk = os.read(self.FromBrowser, 1 << 20)
            if not chunk:
                os.close(self.FromBrowser)
                self.Incoming.put(None)
                return
            pending += chunk
            *messages, pending = pending.split(b"\0")
            for message in messages:
                self.Incoming.put(json.loads(message))

    def _take(self, timeout):
        message = self.Incoming.get(timeout=timeout)
        if message is None:
            raise Failure("Chromium ended")
        if "id" in message:
            self.Replies[message["id"]] = message
        else:
            self.Events.append(message)

    def send(self, method, params=None, session=None, timeout=30.0):
        """The result of one command; Failure with the protocol's error."""
        self.NextId += 1
        message = {"id": self.NextId, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.ToBrowser, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while self.NextId not in self.Replies:
            left = deadline - time.monotonic()
            if left <= 0:
                raise Failure(f"no answer to {method} within {timeout} s")
            try:
                self._take(left)
            except queue.Empty:
                pass
        reply = self.Replies.pop(self.NextId)
        if "error" in reply:
            raise Failure(f"{method}: {reply['error'].get('message')}")
        return reply.get("result", {})

    def open_page(self, width, height):
        """A new tab of width x height CSS pixels at one device pixel each: a CPage."""
        target = self.send("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = self.send("Target.attachToTarget", {"targetId": target, "flatten": True})
        page = CPage(self, session["sessionId"], target)
        for domain in ("Page", "Runtime", "Log"):
            page.send(f"{domain}.enable")
        page.send("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": False})
        return page

    def close(self):
        try:
            self.send("Browser.close", timeout=5.0)
            self.Process.wait(timeout=10)
        except (Failure, OSError, subprocess.TimeoutExpired):
            self.Process.kill()
            self.Process.wait()
        os.close(self.ToBrowser)
        shutil.rmtree(self.Profile, ignore_errors=True)


class CPage:
    def __init__(self, browser, session, target):
        self.Browser = browser
        self.Session = session
        self.Target = target

    def close(self):
        self.Browser.send("Target.closeTarget", {"targetId": self.Target})

    def send(self, method, params=None, timeout=30.0):
        for attempt in range(NAVIGATION_RETRIES + 1):
            try:
                return self.Browser.send(method, params, self.Session, timeout)
            except Failure as failure:
                if attempt == NAVIGATION_RETRIES or not any(
                        error in str(failure) for error in NAVIGATION_ERRORS):
                    raise
                time.sleep(0.1 * (attempt + 1))

    def evaluate(self, expression):
        reply = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True})
        if "exceptionDetails" in reply:
            raise Failure(f"{expression}: {reply['exceptionDetails'].get('text')}")
        return reply["result"].get("value")

    def wait_for(self, expression, timeout=20.0, what=None):
        """Evaluates expression until it is true; Failure after timeout seconds."""
        deadline = time.monotonic() + timeout
        while not self.evaluate(expression):
            if time.monotonic() > deadline:
                raise Failure(f"not within {timeout} s: {what or expression}")
            time.sleep(0.05)

    def open(self, url, frames=1, timeout=20.0):
        """Navigates and waits until the saver has drawn the given number of frames."""
        # The mark goes with the old document: no answer is read from it.
        self.evaluate("window.QuillomarOldPage = true")
        self.send("Page.navigate", {"url": url})
        self.wait_for(f"!window.QuillomarOldPage && typeof Module === 'object' && "
                      f"Module.calledRun && Module._Frame_Count() >= {frames}", timeout,
                      f"{frames} frames drawn at {url}")

    def screenshot_png(self):
        """The page as shown, as PNG bytes."""
        return base64.b64decode(self.send("Page.captureScreenshot", {"format": "png"})["data"])

    def errors(self):
        """The console's errors and uncaught exceptions of this page so far, as texts."""
        found = []
        for event in self.Browser.Events:
            if event.get("sessionId") != self.Session:
                continue
            params = event.get("params", {})
            if event["method"] == "Runtime.consoleAPICalled" and params["type"] in ("error",
                                                                                   "assert"):
                found.append(" ".join(str(a.get("value", a.get("description")))
                                      for a in params["args"]))
            elif event["method"] == "Runtime.exceptionThrown":
                found.append(params["exceptionDetails"].get("text", "exception"))
            elif event["method"] == "Log.entryAdded" and params["entry"]["level"] == "error":
                found.append(params["entry"]["text"])
        return found


class CPicture:
    """Width x height pixels, rows top down, 3 bytes (red, green, blue) each."""

    def __init__(self, width, height, rgb):
        self.Width, self.Height, self.Rgb = width, height, rgb

    def pixel(self, x, y):
        at = 3 * (y * self.Width + x)
        return tuple(self.Rgb[at:at + 3])


def decode_png(data):
    """A PNG's pixels, through ImageMagick."""
    size = subprocess.run(["identify", "-format", "%w %h", "png:-"], input=data,
                          capture_output=True, check=True).stdout.split()
    rgb = subprocess.run(["convert", "png:-", "-depth", "8", "rgb:-"], input=data,
                         capture_output=True, check=True).stdout
    return CPicture(int(size[0]), int(size[1]), rgb)
