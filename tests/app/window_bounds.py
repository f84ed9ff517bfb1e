#!/usr/bin/env python3
"""The window's normal bounds under a real window manager (openbox under Xvfb), whose frame
around a maximised window differs from the one around a normal window: started at Left=50,
Top=60, maximised (from the start, or by the window manager), fitted with F7, maximised again
and closed, the settings file still holds Left=50 and Top=60.

Usage: window_bounds.py PATH-OF-VERLO. Exits 77 (skipped, saying why) where a tool is missing.
"""
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from screen_reader import check, fail, skip, start_x_server, wait_for  # noqa: E402

RC = """<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <keyboard>
    <keybind key="W-Up"><action name="Maximize"/></keybind>
    <keybind key="A-F4"><action name="Close"/></keybind>
  </keyboard>
</openbox_config>
"""


def bounds(values):
    return {k: values.get(k) for k in ("State", "Left", "Top", "Width", "Height")}


def ini_values(path):
    values = {}
    try:
        with open(path, encoding="utf-8") as f:
            for line in f:
                if "=" in line:
                    name, value = line.rstrip("\n").split("=", 1)
                    values[name] = value
    except FileNotFoundError:
        pass
    return values


def run(verlo, display, home, state):
    config = os.path.join(home, "config", str(state))
    ini = os.path.join(config, "Tarnvel", "Verlo.ini")
    os.makedirs(os.path.dirname(ini))
    with open(ini, "w") as f:
        f.write("[Window]\nState=%d\nLeft=50\nTop=60\nWidth=385\nHeight=300\n" % state)
    env = dict(os.environ, DISPLAY=display, HOME=home, XDG_CONFIG_HOME=config,
               XDG_STATE_HOME=os.path.join(home, "state"), QT_QPA_PLATFORM="xcb")
    program = subprocess.Popen([verlo], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def key(*keys):
        subprocess.check_call(["xdotool", "key"] + list(keys), env=env)

    def written(**expected):
        """Waits until the settings watch has written these values."""
        def find():
            values = ini_values(ini)
            return values if all(values.get(k) == v for k, v in expected.items()) else None
        return wait_for(find, program, "the settings file to hold %s" % expected)

    window = wait_for(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "verlo"], env=env,
                                             capture_output=True, text=True).stdout.split() or None,
                      program, "the window")[-1]
    subprocess.check_call(["xdotool", "windowactivate", "--sync", window], env=env)
    if state == 0:
        key("super+Up")
        written(State="2")
    key("F7")
    values = written(State="0")
    check(values.get("Left") == "50" and values.get("Top") == "60",
          "F7 restores the window where it was (state %d at start): %s" % (state, bounds(values)))
    key("super+Up")
    written(State="2")
    key("alt+F4")
    program.wait()
    values = ini_values(ini)
    check(values.get("Left") == "50" and values.get("Top") == "60",
          "the normal bounds are kept at close (state %d at start): %s" % (state, bounds(values)))


def main(verlo):
    for tool in ("Xvfb", "xdpyinfo", "xdotool", "openbox"):
        if not shutil.which(tool):
            skip(tool + " is not installed (scripts/install-deps.sh installs it)")
    home = tempfile.mkdtemp(prefix="verlo-bounds-")
    display, xvfb = start_x_server()
    wm = None
    try:
        if xvfb is None:
            skip("Xvfb cannot start")
        rc = os.path.join(home, "rc.xml")
        with open(rc, "w") as f:
            f.write(RC)
        env = dict(os.environ, DISPLAY=display, HOME=home)
        wm = subprocess.Popen(["openbox", "--config-file", rc], env=env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=env, capture_output=True,
                                        text=True).stdout.count("window id") or None, wm, "the window manager")
        for state in (2, 0):
            run(verlo, display, home, state)
    finally:
        if wm is not None:
            wm.terminate()
            wm.wait()
        if xvfb is not None:
            xvfb.terminate()
            xvfb.wait()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        fail("usage: window_bounds.py PATH-OF-VERLO")
    main(sys.argv[1])
