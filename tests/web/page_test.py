#!/usr/bin/env python3
"""The web page (build/web/) in one headless Chromium, served on 127.0.0.1: the scene of a seed
against the frame tool's, the frame rate, moving bananas, the preview's titles, full screen on
input and off again (prefixed only, or none), a lost WebGL context restored, a clean console,
and the message of a browser without WebGL; then bananas, frame rate and titles in Firefox ESR
and WebKitGTK's MiniBrowser, from pictures of a private X display.

  page_test.py <frametool>
"""
import glob
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from quillomar_web import PAGE_DIR, PAGE_FILES, CBrowser, Failure, decode_png, serve  # noqa: E402

WIDTH, HEIGHT = 800, 600
SEED, FRAMES = 6, 120  # 2 s at 60 frames/s: several bananas in view
# Same scene: a pixel differs when a channel is off by more than 8 levels of 255 (both light
# each vertex in single precision and round to 8 bits: interiors agree within a few levels).
# WebGL and Mesa place triangle edges by different rules, so a few edge pixels flip wholly.
LEVELS, EDGE_SHARE = 8, 0.03
FULL_SCREEN = "!!document.fullscreenElement"
LOSE = ("window.Lost = false, Module.canvas.addEventListener('webglcontextlost', () => Lost = true,"
        " {once: true}), (window.Lose = Module.canvas.getContext('webgl')"
        ".getExtension('WEBGL_lose_context')).loseContext()")
ERROR_SHOWN = "!document.getElementById('error').hidden"
STANDARD_API = ("delete Element.prototype.requestFullscreen;"
                " delete Document.prototype.exitFullscreen;")
PREFIXED_API = ("delete Element.prototype.webkitRequestFullscreen;"
                " delete Document.prototype.webkitExitFullscreen;")
Failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        Failures.append(what)


def yellow(p):
    return p[0] > 140 and p[1] > 140 and p[2] < 64


def white(p):
    return min(p) > 217


def where(picture, kind):
    return {(x, y) for y in range(picture.Height) for x in range(picture.Width)
            if kind(picture.pixel(x, y))}


def same_scene(page, url, frametool):
    page.open(f"{url}?seed={SEED}&frames={FRAMES}&fps=1", FRAMES, timeout=60)
    web = decode_png(page.screenshot_png())
    with tempfile.TemporaryDirectory() as work:
        path = os.path.join(work, "frame.png")
        subprocess.run([frametool, "--size", f"{WIDTH}x{HEIGHT}", "--seed", str(SEED),
                        "--seconds", str(FRAMES / 60), "--framerate", path],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(path, "rb") as frame:
            native = decode_png(frame.read())
    lit = differing = 0
    for at in range(0, len(native.Rgb), 3):
        lit += max(native.Rgb[at:at + 3]) > 24
        differing += max(abs(a - b) for a, b in zip(web.Rgb[at:at + 3], native.Rgb[at:at + 3])) > LEVELS
    check(lit > 500 and differing <= EDGE_SHARE * lit,
          f"seed {SEED}, frame {FRAMES}: {differing} of the frame tool's {lit} lit pixels differ "
          f"by more than {LEVELS} levels (at most {EDGE_SHARE:.0%})")
    check_digits(web, "?fps=1")
    bananas = page.evaluate("Module._Banana_Count()")
    page.evaluate(LOSE)
    page.wait_for("Lost", 5, "the context lost")
    page.evaluate("Lose.restoreContext()")
    deadline = time.monotonic() + 2.0
    while decode_png(page.screenshot_png()).Rgb != web.Rgb and time.monotonic() < deadline:
        pass
    check(decode_png(page.screenshot_png()).Rgb == web.Rgb and
          page.evaluate("Module._Banana_Count()") == bananas,
          f"a lost context restored: the same picture within 2 s, {bananas} bananas still")


def check_digits(picture, what):
    digits = where(picture, white)
    check(len(digits) > 15 and all(x > 0.85 * picture.Width and y < 0.1 * picture.Height
                                   for x, y in digits),
          f"{what}: {len(digits)} white pixels, all in the top right corner")


def stands_still(page, stop, go, what):
    """Stops the saver with stop for 3.5 s, goes on with go; then the saver's clock must not
    have moved by more than the time since go (no banana jumps by the time stopped)."""
    page.evaluate(stop)
    time.sleep(0.3)
    still, frames = page.evaluate("[Module._Saver_Milliseconds(), Module._Frame_Count()]")
    time.sleep(3.2)
    shown = page.evaluate(ERROR_SHOWN)
    went = page.evaluate(f"{go}, performance.now()")
    page.wait_for(f"Module._Frame_Count() > {frames + 3}", 5, f"frames again after {what}")
    moved, since = page.evaluate(f"[Module._Saver_Milliseconds() - {still}, "
                                 f"performance.now() - {went}]")
    check(moved <= since + 5, f"after {what}: the saver's clock moved {moved:.0f} ms in the "
          f"{since:.0f} ms since, none of the 3.5 s before")
    return shown


def moving_bananas(page, url):
    page.open(f"{url}?seed={SEED}", FRAMES, timeout=60)
    first = where(decode_png(page.screenshot_png()), yellow)
    page.wait_for(f"Module._Frame_Count() >= {page.evaluate('Module._Frame_Count()') + 30}")
    second = where(decode_png(page.screenshot_png()), yellow)
    check(len(first) > 50 and len(second) > 50 and len(first ^ second) > 20,
          f"bananas: {len(first)} and {len(second)} yellow pixels, {len(first ^ second)} "
          "changed 30 frames later")


def pauses_while_hidden(page):
    # The page is told it is hidden as the browser tells it; ten of its own animation frames
    # later the saver has drawn none.
    hide = ("hidden => { Object.defineProperty(document, 'hidden', {value: hidden, "
            "configurable: true}); document.dispatchEvent(new Event('visibilitychange')); }")
    frames = page.evaluate(f"({hide})(true), Module._Frame_Count()")
    page.send("Runtime.evaluate", {"awaitPromise": True, "expression": "new Promise(done => {"
              " let ticks = 0; (function tick() { if (++ticks > 10) done();"
              " else requestAnimationFrame(tick); })(); })"})
    still = page.evaluate("Module._Frame_Count()") == frames
    page.evaluate(f"({hide})(false)")
    page.wait_for(f"Module._Frame_Count() > {frames}", 10, "frames again once shown")
    check(still, "no frames while the page is hidden, frames again once it is shown")
    stands_still(page, f"({hide})(true)", f"({hide})(false)", "a hidden spell")
    shown = stands_still(page, LOSE, "Lose.restoreContext()", "a lost context")
    page.wait_for(f"!{ERROR_SHOWN} && Module._Frame_Count() > 0", 2, "the message gone")
    check(shown and yellow_count(page) > 50, "a context lost for 3.5 s: 'WebGL failed.' shown "
          "meanwhile, bananas again once it is restored")


def yellow_count(page):
    return len(where(decode_png(page.screenshot_png()), yellow))


def titles(page, url):
    page.open(f"{url}?preview=1", 3)
    check_titles(decode_png(page.screenshot_png()), "?preview=1")


def titles_in(picture):
    text = where(picture, white)
    for height, title in ((0.3, "Tarnwick"), (0.5, "presents"), (0.7, "Quillomar")):
        xs = [x for x, y in text if abs(y - height * picture.Height) < 12]
        centre = (min(xs) + max(xs)) / 2 if xs else 0
        yield (xs and abs(centre - picture.Width / 2) <= 4 and
               abs(max(xs) - min(xs) - (8 * len(title) - 4)) <= 4), title, height


def check_titles(picture, what):
    for centred, title, height in titles_in(picture):
        check(centred, f"{what}: {title!r} centred at {height:.0%} of the height")


def other_engines(url):
    """Firefox ESR (WebGL forced on in a scratch profile, kiosk) and WebKitGTK's MiniBrowser,
    each alone on a private 1024 x 768 X display: its pictures until they show the page."""
    minibrowser = (glob.glob("/usr/lib/*/webkit2gtk-4.*/MiniBrowser") + ["MiniBrowser"])[0]
    read, write = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                             "-nolisten", "tcp"], pass_fds=(write,), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as number, tempfile.TemporaryDirectory() as work:
        environment = dict(os.environ, DISPLAY=":" + number.readline().strip(), HOME=work,
                           WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS="1")
        with open(os.path.join(work, "user.js"), "w") as prefs:
            prefs.write('user_pref("webgl.force-enabled", true);\nuser_pref("datareporting.policy.'
                        'dataSubmissionPolicyBypassNotification", true);\n')
        for engine, command in (("Firefox ESR", ["firefox-esr", "--no-remote", "--profile", work,
                                                 "--kiosk", "--width", "1024", "--height", "768"]),
                                ("WebKitGTK", [minibrowser, "--full-screen", "--enable-webgl=true"])):
            for query, shows in (("?fps=1", lambda p: len(where(p, yellow)) > 50 and
                                  len(where(p, white)) > 15),
                                 ("?preview=1", lambda p: all(c for c, _, _ in titles_in(p)))):
                browser = subprocess.Popen(command + [url + query], env=environment,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                deadline = time.monotonic() + 60
                while True:
                    picture = decode_png(subprocess.run(
                        ["import", "-window", "root", "png:-"], env=environment,
                        capture_output=True).stdout)
                    if shows(picture) or time.monotonic() > deadline:
                        break
                    time.sleep(1)
                browser.terminate()
                browser.wait()
                if query == "?fps=1":
                    check(len(where(picture, yellow)) > 50, f"{engine}: bananas")
                    check_digits(picture, f"{engine} ?fps=1")
                else:
                    check_titles(picture, f"{engine} ?preview=1")
    xvfb.terminate()
    xvfb.wait()


def key(page):
    for kind in ("keyDown", "keyUp"):
        page.send("Input.dispatchKeyEvent", {"type": kind, "key": "a", "code": "KeyA",
                                             "windowsVirtualKeyCode": 65})


def click(page):
    for kind in ("mousePressed", "mouseReleased"):
        page.send("Input.dispatchMouseEvent", {"type": kind, "x": 200, "y": 200,
                                               "button": "left", "clickCount": 1})


def move(page, x, y):
    page.send("Input.dispatchMouseEvent", {"type": "mouseMoved", "x": x, "y": y})


def wheel(page):
    page.send("Input.dispatchMouseEvent", {"type": "mouseWheel", "x": 200, "y": 200,
                                           "deltaX": 0, "deltaY": 100})


def full_screen(page):
    # Counts the page's requests to leave: a move that must not leave is judged at once.
    page.evaluate("window.Exits = 0; document.exitFullscreen = (function(leave) {"
                  " return function() { ++window.Exits; return leave(); }; })"
                  "(document.exitFullscreen.bind(document))")

    def expect(state, what):
        check(settles(page, FULL_SCREEN if state else "!" + FULL_SCREEN, 10), what)

    key(page)
    expect(True, "a key makes the page full screen")
    for leave, name in ((key, "a key"), (click, "a click"), (wheel, "a turn of the wheel")):
        leave(page)
        expect(False, f"{name} in full screen leaves it")
        if leave is key:
            click(page)
            expect(True, "a click makes the page full screen")
        else:
            key(page)
            expect(True, "a key makes the page full screen again")
    exits = page.evaluate("window.Exits")
    move(page, 300, 300)
    move(page, 302, 302)
    check(page.evaluate("window.Exits") == exits and page.evaluate(FULL_SCREEN),
          "a move of 4 pixels keeps full screen")
    move(page, 303, 302)
    expect(False, "a move of 5 pixels leaves full screen")


def other_full_screen(page, url):
    """With WebKit's prefixed API only, it is used; with none, input leaves the page as it was."""
    for removed, what in ((STANDARD_API, "only the prefixed API"),
                          (STANDARD_API + PREFIXED_API, "no full-screen API")):
        script = page.send("Page.addScriptToEvaluateOnNewDocument", {"source": removed})
        page.open(url)
        page.send("Page.removeScriptToEvaluateOnNewDocument", script)
        errors, full = len(page.errors()), []
        for state in ("!!", "!"):
            key(page)
            full.append(settles(page, state + "document.webkitFullscreenElement"))
        click(page)
        frames = page.evaluate("Module._Frame_Count()")
        page.wait_for(f"Module._Frame_Count() > {frames + 10}", 10, f"frames with {what}")
        check(full == [removed == STANDARD_API, True] and len(page.errors()) == errors,
              f"{what}: a key enters full screen, a key leaves it {full}; then a click; "
              "animating, no error")


def settles(page, expression, seconds=3.0):
    try:
        page.wait_for(expression, seconds)
        return True
    except Failure:
        return False


def without_webgl(page, url):
    page.send("Page.addScriptToEvaluateOnNewDocument",
              {"source": "HTMLCanvasElement.prototype.getContext = function() { return null; };"})
    page.send("Page.navigate", {"url": url})
    page.wait_for("(box => box && !box.hidden)(document.getElementById('error'))", 20,
                  "the error shown")
    message = page.evaluate("document.getElementById('error').textContent")
    check(message == "Quillomar: WebGL failed.", f"without WebGL the page says {message!r}")


def main():
    frametool = sys.argv[1]
    missing = [name for name in PAGE_FILES if not os.path.isfile(os.path.join(PAGE_DIR, name))]
    if missing:
        print(f"FAIL no web page: {', '.join(missing)} missing from {PAGE_DIR} "
              "(cmake --preset web && cmake --build --preset web)")
        return 1
    server, url = serve(PAGE_DIR)
    browser = CBrowser()
    try:
        page = browser.open_page(WIDTH, HEIGHT)
        same_scene(page, url, frametool)
        moving_bananas(page, url)
        pauses_while_hidden(page)
        titles(page, url)
        full_screen(page)
        other_full_screen(page, url)
        check(page.errors() == ["Quillomar: WebGL failed."],
              f"no console errors but the lost context's message: {page.errors()}")
        without_webgl(page, url)
    except Failure as failure:
        check(False, str(failure))
    finally:
        browser.close()
    try:
        other_engines(url)
    except (Failure, OSError, subprocess.CalledProcessError) as failure:
        check(False, f"other engines: {failure}")
    finally:
        server.shutdown()
    print(f"{len(Failures)} check(s) failed" if Failures else "all checks passed")
    return 1 if Failures else 0


if __name__ == "__main__":
    sys.exit(main())
