#!/usr/bin/python3
"""Checks that assistive technology finds every control of Velmora's windows.

On the private desktop tests/desktop/desktop-session.sh gives it (its DISPLAY), starts a private
D-Bus session (which brings up the accessibility bus), runs velmora_a11y_driver in it and, for each window the driver shows, reads the window's
AT-SPI tree and looks up every expected control by its accessible name and role.

    desktop-session.sh check_a11y.py <velmora_a11y_driver>

Exit status: 0 all found, 1 something missing, 77 this machine cannot run AT-SPI (skipped).
"""

import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
RUN_LIMIT_S = 240        # the whole run inside the session
LINE_LIMIT_S = 90        # from one driver line to the next (the real build included)
WINDOW_LIMIT_S = 30      # for a shown window to appear in the tree
SETTLE_S = 3             # for a window found to show its last expected control

# Controls that are named by a label next to them on this platform (their own name is their
# value) are looked up through their "labelled by" relation instead.
LABELLED = "labelled"

# Per window the driver shows: the window's name and, per control, (role, name[, LABELLED]).
# OWN windows are ours through and through: beyond the table, none of their controls may be
# nameless. The file dialogs are Qt's own; there only the controls we rely on are checked.
OWN, QT = "own", "qt"
WINDOWS = {
    "main": ("Velmora", OWN, [
        ("push button", "Minimize"),
        ("push button", "Maximize"),
        ("push button", "Restore"),
        ("push button", "Exit"),
        ("push button", "Step 1: To Do - Drag & Drop a Picture to Here"),
        ("push button", "Step 1: Done - Drag & Drop a Picture to Here"),
        ("push button", "Step 2: To Do - Drag & Drop an Audio File to Here"),
        ("push button", "Step 2: Done - Drag & Drop an Audio File to Here"),
        ("push button", "Step 3: To Do - Click here for Optional Text"),
        ("push button", "Step 3: Done - Click here for Optional Text"),
        ("image", "Picture preview"),
        ("push button", "Play"),
        ("push button", "Pause"),
        ("push button", "Save As"),
        ("text", "Save As path"),
        ("push button", "Create Pictune"),
        ("push button", "Options"),
        ("push button", "Help"),
    ]),
    "open-audio": ("Select Audio File...", QT, [
        ("combo box", "Look in:", LABELLED),
        ("text", "File name:"),
        ("combo box", "Files of type:", LABELLED),
        ("check box", "Automatically play the selected Audio File"),
        ("push button", "Open"),
        ("push button", "Cancel"),
    ]),
    "options": ("Default File Locations and Options", OWN, [
        ("text", "Picture Folder"),
        ("push button", "Browse for the Picture Folder"),
        ("text", "Audio Folder"),
        ("push button", "Browse for the Audio Folder"),
        ("text", "Destination Folder"),
        ("push button", "Browse for the Destination Folder"),
        ("check box", "Auto-play when Dragging/Opening Audio Files"),
        ("push button", "OK"),
        ("push button", "Cancel"),
    ]),
    "text": ("Pictune Text", OWN, [
        ("combo box", "Font:", LABELLED),
        ("text", "Point Size"),
        ("push button", "Text Color"),
        ("text", "Text"),
        ("text", "X Position"),
        ("text", "Y Position"),
        ("check box", "Top Left"),
        ("check box", "Top Center"),
        ("check box", "Top Right"),
        ("check box", "Middle Left"),
        ("check box", "Middle Center"),
        ("check box", "Middle Right"),
        ("check box", "Bottom Left"),
        ("check box", "Bottom Center"),
        ("check box", "Bottom Right"),
        ("check box", "Include a Shadow"),
        ("push button", "Shadow Color"),
        ("text", "Shadow X Offset"),
        ("text", "Shadow Y Offset"),
        ("push button", "OK"),
        ("push button", "Cancel"),
    ]),
    "save-as": ("Save Pictune As...", QT, [
        ("combo box", "Look in:", LABELLED),
        ("text", "File name:"),
        ("combo box", "Files of type:", LABELLED),
        ("push button", "Save"),
        ("push button", "Cancel"),
    ]),
    "actual-size": ("Velmora View Actual Size - Press Esc to Close", OWN, []),
    "build": ("Pictune Build Progress", OWN, [
        ("progress bar", "Build progress"),
        ("push button", "Cancel"),
    ]),
    "complete": ("Pictune Complete", OWN, [
        ("push button", "Upload Now"),
        ("push button", "Open with Video Player"),
        ("push button", "Locate File with File Manager"),
        ("push button", "Close"),
    ]),
}

# Groups of controls of which exactly one is on at any time, and must read as such.
PLACEMENTS = [f"{row} {column}" for row in ("Top", "Middle", "Bottom")
              for column in ("Left", "Center", "Right")]
ONE_CHECKED = {"text": PLACEMENTS}

# Roles a user operates or reads a value from: each needs a name (or a label) to be usable.
INTERACTIVE = {"push button", "toggle button", "check box", "radio button", "text", "combo box",
               "spin button", "slider", "progress bar", "image", "list", "tree", "table"}
MAX_NODES = 2000


def log(message):
    print(message, flush=True)


# ------------------------------------------------------------------ outside the session

def missing_prerequisite():
    for tool in ("dbus-run-session",):
        if not shutil.which(tool):
            return f"{tool} is not installed"
    if not os.path.exists("/usr/share/dbus-1/services/org.a11y.Bus.service"):
        return "the AT-SPI bus launcher (at-spi2-core) is not installed"
    probe = subprocess.run([sys.executable, "-c", "import pyatspi"], capture_output=True, text=True)
    if probe.returncode != 0:
        return f"{sys.executable} cannot import pyatspi (python3-pyatspi): {probe.stderr.strip()}"
    return None


def stop(process, group=False):
    if process.poll() is not None:
        return
    try:
        if group:
            os.killpg(process.pid, signal.SIGTERM)
        else:
            process.terminate()
        process.wait(timeout=5)
    except (subprocess.TimeoutExpired, ProcessLookupError):
        try:
            if group:
                os.killpg(process.pid, signal.SIGKILL)
            else:
                process.kill()
        except ProcessLookupError:
            pass
        process.wait()


def adopt_orphans():
    """Makes this process the reaper of its descendants, so that what the session's bus starts
    and leaves behind (the accessibility bus and registry) comes back here to be ended."""
    try:
        import ctypes
        PR_SET_CHILD_SUBREAPER = 36
        ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)
    except (OSError, AttributeError):
        pass


def descendants():
    """{pid: parent pid} of every process below this one."""
    parents = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as stat:
                    parents[int(entry)] = int(stat.read().rsplit(")", 1)[1].split()[1])
            except (OSError, IndexError, ValueError):
                continue
    me = os.getpid()
    below = {}
    for pid in parents:
        ancestor = pid
        while ancestor in parents and parents[ancestor] != me and ancestor > 1:
            ancestor = parents[ancestor]
        if parents.get(ancestor) == me:
            below[pid] = parents[pid]
    return below


def end_descendants():
    """Ends every process left below this one and reaps those that come back to it
    as orphans; gives up after a few seconds."""
    me = os.getpid()
    deadline = time.monotonic() + 6
    forceful = time.monotonic() + 3
    while time.monotonic() < deadline:
        left = descendants()
        if not left:
            return
        sig = signal.SIGKILL if time.monotonic() > forceful else signal.SIGTERM
        for pid, parent in left.items():
            try:
                os.kill(pid, sig)
                if parent == me:
                    os.waitpid(pid, os.WNOHANG)
            except (ProcessLookupError, ChildProcessError):
                pass
        time.sleep(0.05)


def outer(driver):
    reason = missing_prerequisite()
    if reason:
        log(f"SKIPPED: this machine cannot run the AT-SPI check: {reason}")
        return SKIP
    display = os.environ.get("DISPLAY")
    if not display:
        log("SKIPPED: no X display (tests/desktop/desktop-session.sh gives one)")
        return SKIP
    work = tempfile.mkdtemp(prefix="velmora-a11y-")
    adopt_orphans()
    session = None
    try:
        env = dict(os.environ)
        for name in ("DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "WAYLAND_DISPLAY", "XAUTHORITY"):
            env.pop(name, None)
        env.update(DISPLAY=display, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   SDL_AUDIODRIVER="dummy", TMPDIR=work,
                   XDG_RUNTIME_DIR=work, HOME=work, LC_ALL="C.UTF-8")
        # Its own process group, so that a run that overstays takes the bus, the launcher and
        # the driver down with it.
        session = subprocess.Popen(["dbus-run-session", "--", sys.executable, os.path.abspath(__file__),
                                    "--inside", driver, work], env=env, start_new_session=True)
        try:
            return session.wait(timeout=RUN_LIMIT_S)
        except subprocess.TimeoutExpired:
            log(f"FAIL: the check did not end within {RUN_LIMIT_S} s")
            return 1
    finally:
        if session:
            stop(session, group=True)
        end_descendants()
        shutil.rmtree(work, ignore_errors=True)


# ------------------------------------------------------------------ inside the session

def walk(node, found, depth=0, parent_role=None):
    """Every accessible below `node` as (role, name, labels, parent role, checked), at most
    MAX_NODES."""
    import pyatspi
    if node is None or depth > 40 or len(found) >= MAX_NODES:
        return
    role = node.getRoleName()
    labels = []
    for relation in node.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            labels += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    checked = node.getState().contains(pyatspi.STATE_CHECKED)
    found.append((role, node.name or "", labels, parent_role, checked))
    for index in range(node.childCount):
        walk(node.getChildAtIndex(index), found, depth + 1, role)


def application(pid):
    import pyatspi
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            continue
    return None


def find_window(pid, title):
    app = application(pid)
    if app is None:
        return None
    app.clear_cache()
    for index in range(app.childCount):
        window = app.getChildAtIndex(index)
        if window is not None and window.name == title:
            return window
    return None


def problems_in(window, kind, expected, one_checked):
    found = []
    walk(window, found)
    problems = []
    for entry in expected:
        role, name = entry[0], entry[1]
        if len(entry) > 2 and entry[2] == LABELLED:
            hit = any(r == role and name in labels for r, _, labels, _, _ in found)
            how = f'labelled "{name}"'
        else:
            hit = any(r == role and n == name for r, n, _, _, _ in found)
            how = f'"{name}"'
        if not hit:
            problems.append(f"no {role} {how}")
    if one_checked:
        on = [n for r, n, _, _, checked in found if n in one_checked and checked]
        if len(on) != 1:
            problems.append(f"{len(on)} of {', '.join(one_checked)} read as checked, not 1")
    if kind == OWN:
        for role, name, labels, parent_role, _ in found[1:]:
            # A combo box's drop-down list holds its values; the combo box is what is named.
            if parent_role == "combo box":
                continue
            if role in INTERACTIVE and not name.strip() and not labels:
                problems.append(f"a {role} without a name")
    return problems


def check_window(pid, key):
    import pyatspi  # noqa: F401  (loads the bindings before the clock starts)
    title, kind, expected = WINDOWS[key]
    deadline = time.monotonic() + WINDOW_LIMIT_S
    window = None
    while window is None:
        try:
            window = find_window(pid, title)
        except Exception as error:  # the tree changes while it is read
            log(f"  (retrying after: {error})")
        if window is None:
            if time.monotonic() > deadline:
                return [f'window "{title}" not found in the accessibility tree']
            time.sleep(0.1)
    settle = time.monotonic() + SETTLE_S
    while True:
        try:
            problems = problems_in(window, kind, expected, ONE_CHECKED.get(key))
        except Exception as error:
            problems = [f"reading the tree failed: {error}"]
        if not problems or time.monotonic() > settle:
            return problems
        time.sleep(0.2)
        window = find_window(pid, title) or window


def read_line(stream, deadline):
    remaining = deadline - time.monotonic()
    if remaining <= 0:
        return None
    ready, _, _ = select.select([stream], [], [], remaining)
    return stream.readline() if ready else None


def inside(driver, work):
    driver_process = subprocess.Popen([driver, work], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                      text=True, bufsize=1)
    failures = []
    checked = []
    finished = False
    try:
        while True:
            line = read_line(driver_process.stdout, time.monotonic() + LINE_LIMIT_S)
            if line is None:
                failures.append(f"the driver said nothing for {LINE_LIMIT_S} s")
                break
            if not line:
                failures.append(f"the driver ended early (status {driver_process.wait()})")
                break
            words = line.split()
            if not words:
                continue
            if words[0] == "DONE":
                finished = True
                break
            if words[0] == "MISSING":
                failures.append(f"{words[1]}: the window never appeared")
                continue
            if words[0] != "READY" or len(words) < 2 or words[1] not in WINDOWS:
                continue
            key = words[1]
            problems = check_window(driver_process.pid, key)
            checked.append(key)
            log(f"{'ok  ' if not problems else 'FAIL'} {key}")
            failures += [f"{key}: {problem}" for problem in problems]
            driver_process.stdin.write("NEXT\n")
            driver_process.stdin.flush()
        missed = [key for key in WINDOWS if key not in checked]
        if finished and missed:
            failures.append("never shown: " + ", ".join(missed))
    finally:
        try:
            driver_process.stdin.close()
        except OSError:
            pass
        try:
            status = driver_process.wait(timeout=20)
            if finished and status != 0:
                failures.append(f"the driver ended with status {status}")
        except subprocess.TimeoutExpired:
            driver_process.kill()
            driver_process.wait()
            failures.append("the driver did not end after the last window")
    for failure in failures:
        log(f"FAIL: {failure}")
    if failures:
        return 1
    log(f"all controls of {len(checked)} windows found")
    return 0


def main(argv):
    if len(argv) >= 4 and argv[1] == "--inside":
        return inside(argv[2], argv[3])
    if len(argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    return outer(os.path.abspath(argv[1]))


if __name__ == "__main__":
    sys.exit(main(sys.argv))
