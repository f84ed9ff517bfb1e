#!/usr/bin/env python3
"""The program read as a screen reader reads it: through the AT-SPI accessibility bus, under
Xvfb with a session bus of its own. Finds the text object, reads the text, the caret offset,
a word at an offset and character boxes in both writing directions, moves the caret with
xdotool and waits for the caret-moved event, types and waits for the text-inserted event.

Usage: screen_reader.py PATH-OF-VERLO. Exits 77 (skipped, saying why) where the AT-SPI bus
cannot start or a tool is missing.
"""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
TEXT = "吾輩は猫である。名前はまだ無い。\r\nどこで生れたかとんと見当がつかぬ。\r\n"
READER_TEXT = TEXT.replace("\r\n", "\n")


def skip(why):
    print("SKIPPED: " + why)
    sys.exit(SKIPPED)


def fail(why):
    print("FAILED: " + why)
    sys.exit(1)


def check(condition, what):
    if not condition:
        fail(what)
    print("ok: " + what)


def start_x_server():
    """An Xvfb on a display number drawn at random from a wide range (a low number may be
    in use by a server this process cannot see the lock of); another number when that one
    fails. The server must not reset when its last client leaves: the probe below and the
    accessibility bus's launcher each connect and leave, and a program connecting during the
    reset is refused. Returns (display, process), or (None, None) when none starts."""
    numbers = random.Random(os.getpid()).sample(range(200, 30000), 20)
    for number in numbers:
        display = ":%d" % number
        xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x900x24", "-nolisten", "tcp", "-noreset"],
                                stderr=subprocess.DEVNULL)
        # Asked a few hundred times: a display that never answers (a server of someone
        # else's holds the number) gives way to the next number.
        for _ in range(300):
            if xvfb.poll() is not None:
                break
            if subprocess.call(["xdpyinfo", "-display", display], stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL) == 0:
                return display, xvfb
            time.sleep(0.1)
        xvfb.terminate()
        xvfb.wait()
    return None, None


def outside(verlo):
    """Starts an X server and a session bus of their own (with their own home and runtime
    folders, where the accessibility bus keeps its socket, so that runs side by side never
    meet) and runs the check inside them."""
    for tool in ("Xvfb", "xdpyinfo", "dbus-run-session", "dbus-send", "xdotool"):
        if not shutil.which(tool):
            skip(tool + " is not installed (scripts/install-deps.sh installs it)")
    try:
        import gi
        gi.require_version("Atspi", "2.0")
        import pyatspi  # noqa: F401
    except (ImportError, ValueError) as e:
        skip("pyatspi cannot be imported: %s" % e)
    home = tempfile.mkdtemp(prefix="verlo-reader-")
    runtime = os.path.join(home, "runtime")
    os.mkdir(runtime, 0o700)
    display, xvfb = start_x_server()
    try:
        if xvfb is None:
            skip("Xvfb cannot start")
        env = dict(os.environ, DISPLAY=display, HOME=home, XDG_RUNTIME_DIR=runtime)
        status = subprocess.call(["dbus-run-session", "--", sys.executable, os.path.abspath(__file__), "--inside", verlo],
                                 env=env)
    finally:
        if xvfb is not None:
            xvfb.terminate()
            xvfb.wait()
        shutil.rmtree(home, ignore_errors=True)
    sys.exit(status)


def wait_for(find, process, what):
    """Asks until find() gives something; fails when the program ends first."""
    while True:
        found = find()
        if found is not None:
            return found
        if process.poll() is not None:
            fail("the program ended (status %s) while waiting for %s" % (process.returncode, what))
        time.sleep(0.1)


def descendants(accessible):
    for i in range(accessible.childCount):
        child = accessible.getChildAtIndex(i)
        if child is None:
            continue
        yield child
        yield from descendants(child)


def inside(verlo):
    bus = subprocess.run(["dbus-send", "--session", "--dest=org.a11y.Bus", "--print-reply",
                          "/org/a11y/bus", "org.a11y.Bus.GetAddress"], capture_output=True, text=True)
    if bus.returncode != 0:
        skip("the AT-SPI bus cannot start: " + bus.stderr.strip())
    import pyatspi
    from gi.repository import GLib

    work = tempfile.mkdtemp(prefix="verlo-reader-")
    path = os.path.join(work, "neko.txt")
    with open(path, "wb") as f:
        f.write(TEXT.encode("cp932"))
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", QT_QPA_PLATFORM="xcb",
               HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"), XDG_CACHE_HOME=os.path.join(work, "cache"),
               XDG_STATE_HOME=os.path.join(work, "state"), XDG_DATA_HOME=os.path.join(work, "data"))
    program = subprocess.Popen([verlo, path], env=env)
    try:
        def find_app():
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                app = desktop.getChildAtIndex(i)
                if app is not None and app.get_process_id() == program.pid:
                    return app
            return None

        def find_text():
            for acc in descendants(wait_for(find_app, program, "the program on the bus")):
                if acc.name == "本文" and "Text" in pyatspi.listInterfaces(acc):
                    return acc
            return None

        edit = wait_for(find_text, program, "the text object")
        text = edit.queryText()
        check(edit.getRole() == pyatspi.ROLE_TEXT, "the text object is a text")
        check(edit.getState().contains(pyatspi.STATE_EDITABLE), "it is editable")
        check(text.characterCount == len(READER_TEXT), "it counts one offset per character and line break")
        check(text.getText(0, -1) == READER_TEXT, "it reads the document in Unicode")
        check(text.caretOffset == 0, "the caret stands at the start")
        check(text.getTextAtOffset(4, pyatspi.TEXT_BOUNDARY_WORD_START) == ("である", 4, 7),
              "the word at an offset is a run of one script")
        first = text.getCharacterExtents(0, pyatspi.DESKTOP_COORDS)
        second = text.getCharacterExtents(1, pyatspi.DESKTOP_COORDS)
        check(first[1] == second[1] and second[0] > first[0] and first[2] > 0, "horizontal boxes run along a row")

        # Keys go to the program's window; F12 turns the writing vertical, Down moves the caret
        # down the column. The caret-moved event says the keys were handled.
        def keys(*names):
            subprocess.check_call(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(program.pid), ".",
                                   "windowfocus", "--sync", "key", "--delay", "50"] + list(names))

        def wait_event(kind, action, wanted):
            """Does action and waits for the event of that kind from the text object that wanted() accepts."""
            seen = []

            def listener(event):
                print("event: %s %s %s %r" % (event.type, event.detail1, event.detail2, event.any_data))
                if event.source == edit and wanted(event):
                    seen.append(event)
                    pyatspi.Registry.stop()

            def act():
                try:
                    action()
                except subprocess.CalledProcessError as e:
                    seen.append(e)
                    pyatspi.Registry.stop()
                return False

            pyatspi.Registry.registerEventListener(listener, kind)
            GLib.idle_add(act)
            pyatspi.Registry.start()
            pyatspi.Registry.deregisterEventListener(listener, kind)
            if isinstance(seen[0], Exception):
                fail("the keys could not be sent: %s" % seen[0])
            return seen[0]

        wait_event("object:text-caret-moved", lambda: keys("F12", "Down"), lambda e: e.detail1 == 1)
        check(text.caretOffset == 1, "moving the caret tells where it went")
        first = text.getCharacterExtents(0, pyatspi.DESKTOP_COORDS)
        second = text.getCharacterExtents(1, pyatspi.DESKTOP_COORDS)
        check(first[0] == second[0] and second[1] > first[1] and first[3] > 0,
              "vertical boxes run down a column")

        typed = wait_event("object:text-changed:insert", lambda: keys("x"), lambda e: True)
        check(typed.detail1 == 1 and typed.any_data == "x", "typing tells what was typed and where")
        check(text.getText(0, 3) == "吾x輩", "the text read afterwards has it")
    finally:
        program.terminate()
        program.wait()
        shutil.rmtree(work, ignore_errors=True)
    print("the program reads as a screen reader expects")


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--inside":
        inside(sys.argv[2])
    elif len(sys.argv) == 2:
        outside(sys.argv[1])
    else:
        print(__doc__)
        sys.exit(2)
