#!/usr/bin/env python3
"""The web page (build/web/) in one headless Chromium, served on 127.0.0.1: the scene of a seed
against the frame tool's, the frame rate, moving bananas, the preview's titles, full screen on
input and off again (standard, prefixed or none), a lost WebGL context, a clean console and the
message of a browser without WebGL; then Firefox ESR's and WebKitGTK's pictures of the page.

  page_test.py <frametool>
"""
import glob
import os
import shutil
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
UNSET = "delete Element.prototype.{}equestFullscreen; delete Document.prototype.{}xitFullscreen;"
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
    check(*digits_in(web, "?fps=1"))
    bananas = page.evaluate(f"{LOSE}, Module._Banana_Count()")
    page.wait_for("Lost", 5, "the context lost")
    page.evaluate("Lose.restoreContext()")
    time.sleep(2)
    check(decode_png(page.screenshot_png()).Rgb == web.Rgb and
          page.evaluate("Module._Banana_Count()") == bananas,
          f"a lost context restored: the same picture 2 s later, {bananas} bananas still")


def digits_in(picture, what):
    digits = where(picture, white)
    return (len(digits) > 15 and all(x > 0.85 * picture.Width and y < 0.1 * picture.Height
                                     for x, y in digits),
            f"{what}: {len(digits)} white pixels, all in the top right corner")


def stands_still(page, stop, go, what):
    """Stops the saver for 3.5 s: no frames meanwhile, and its clock moves by no more than the
    time since go (no banana jumps by the time stopped)."""
    page.evaluate(stop)
    time.sleep(0.3)
    still, frames = page.evaluate("[Module._Saver_Milliseconds(), Module._Frame_Count()]")
    time.sleep(3.2)
    shown, drawn, _, went = page.evaluate(
        f"[{ERROR_SHOWN}, Module._Frame_Count() - {frames}, {go}, performance.now()]")
    page.wait_for(f"Module._Frame_Count() > {frames + 3}", 5, f"frames again after {what}")
    moved, since = page.evaluate(f"[Module._Saver_Milliseconds() - {still}, "
                                 f"performance.now() - {went}]")
    check(drawn == 0 and moved <= since + 5, f"{what}: {drawn} frames; then the saver's clock "
          f"moved {moved:.0f} ms in the {since:.0f} ms since, none of the 3.5 s before")
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
    # The page is told it is hidden as the browser tells it.
    hide = ("hidden => { Object.defineProperty(document, 'hidden', {value: hidden, "
            "configurable: true}); document.dispatchEvent(new Event('visibilitychange')); }")
    stands_still(page, f"({hide})(true)", f"({hide})(false)", "hidden for 3.5 s")
    shown = stands_still(page, LOSE, "Lose.restoreContext()", "a context lost for 3.5 s")
    check(shown and settles(page, f"!{ERROR_SHOWN}", 2) and
          len(where(decode_png(page.screenshot_png()), yellow)) > 50,
          "a context lost for 3.5 s: 'WebGL failed.' shown meanwhile, bananas once restored")


def titles(page, url):
    page.open(f"{url}?preview=1", 3)
    for centred in titles_in(decode_png(page.screenshot_png()), "?preview=1"):
        check(*centred)


def titles_in(picture, what):
    text = where(picture, white)
    for height, title in ((0.3, "Tarnwick"), (0.5, "presents"), (0.7, "Quillomar")):
        xs = [x for x, y in text if abs(y - height * picture.Height) < 12]
        centre = (min(xs) + max(xs)) / 2 if xs else 0
        yield (xs and abs(centre - picture.Width / 2) <= 4 and
               abs(max(xs) - min(xs) - (8 * len(title) - 4)) <= 4,
               f"{what}: {title!r} centred at {height:.0%} of the height")


def other_engines(url):
    """Firefox ESR, then WebKitGTK's MiniBrowser on a private display, pictured until ready."""
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten",
                             "tcp"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    try:
        work = tempfile.mkdtemp(prefix="quillomar-engines.")
        environment = dict(os.environ, DISPLAY=":" + xvfb.stdout.readline().decode().strip(),
                           HOME=work, WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS="1")
        with open(os.path.join(work, "user.js"), "w") as prefs:
            prefs.write('user_pref("webgl.force-enabled", true);\nuser_pref("datareporting.policy.'
                        'dataSubmissionPolicyBypassNotification", true);\n')
        for engine, command in (
                ("Firefox ESR", ["firefox-esr", "--no-remote", "--profile", work, "--kiosk",
                                 "--width", "1024", "--height", "768"]),
                ("WebKitGTK", [glob.glob("/usr/lib/*/webkit2gtk-4.*/MiniBrowser")[0],
                               "--full-screen", "--enable-webgl=true"])):
            for query, judge in (("?fps=1", lambda p, what: [
                    (len(where(p, yellow)) > 50, f"{what}: bananas"), digits_in(p, what)]),
                                 ("?preview=1", titles_in)):
                browser = subprocess.Popen(command + [url + query], env=environment,
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                try:
                    for _ in range(60):
                        judged = list(judge(decode_png(subprocess.run(
                            ["import", "-window", "root", "png:-"], env=environment,
                            capture_output=True).stdout), f"{engine} {query}"))
                        if all(ok for ok, _ in judged):
                            break
                        time.sleep(1)
                finally:
                    browser.terminate()
                    browser.wait()
                for ok, what in judged:
                    check(ok, what)
    finally:
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(work, ignore_errors=True)

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
    standard = UNSET.format("r", "e")
    for removed, what in ((standard, "only the prefixed API"),
                          (standard + UNSET.format("webkitR", "webkitE"), "no full-screen API")):
        script = page.send("Page.addScriptToEvaluateOnNewDocument", {"source": removed})
        page.open(url)
        page.send("Page.removeScriptToEvaluateOnNewDocument", script)
        errors = len(page.errors())
        full = [key(page) or settles(page, state + "document.webkitFullscreenElement")
                for state in ("!!", "!")]
        click(page)
        frames = page.evaluate("Module._Frame_Count()")
        page.wait_for(f"Module._Frame_Count() > {frames + 10}", 10, f"frames with {what}")
        check(full == [removed == standard, True] and len(page.errors()) == errors,
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
        other_engines(url)
    except Failure as failure:
        check(False, str(failure))
    finally:
        browser.close()
        server.shutdown()
    print(f"{len(Failures)} check(s) failed" if Failures else "all checks passed")
    return 1 if Failures else 0


if __name__ == "__main__":
    sys.exit(main())
