#!/usr/bin/python3
"""The update wizard, the main window and the Quick Finder used through AT-SPI alone, as a screen
reader uses them: every step is an accessible action, every control it reaches speaks a name, and
every focus it is told of belongs to an object it can still ask about.

Usage (inside run-in-session.sh): screen_reader_session.py VORLIX_PRO VORLIX_UPDATER VORLIX_DIRECTORY
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import GLib

STEP_TIMEOUT_S = 60
CONTROL_ROLES = {
    "push button", "toggle button", "check box", "radio button", "text", "entry", "combo box",
    "list", "table", "page tab", "progress bar", "spin button", "slider", "menu item",
}
WIZARD = "Vorlix Pro Update"
QUICK_FINDER = "Vorlix Pro Quick Finder"
PAGE_DIALOG = "Vorlix Pro"
HISTORY = "Submission History"
ABOUT = "About"


class Failure(Exception):
    pass


def speaks(name):
    return any(c.isalnum() for c in name or "")


def children(node):
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield child


def descendants(node):
    """Every node under node, the browser's page content left out: the page names its own."""
    for child in children(node):
        yield child
        if child.getRoleName() not in ("document web", "document frame"):
            yield from descendants(child)


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def enabled(node):
    return node.getState().contains(pyatspi.STATE_ENABLED)


def find(root, role, name):
    for node in descendants(root):
        if node.getRoleName() == role and node.name == name and showing(node):
            return node
    return None


def act(node, action):
    actions = node.queryAction()
    names = [actions.getName(i) for i in range(actions.nActions)]
    if action not in names:
        raise Failure(f"{node.getRoleName()} {node.name!r} offers {names}, not {action}")
    actions.doAction(names.index(action))


def unnamed_controls(window):
    return [f"{node.getRoleName()} under {node.parent.getRoleName()} {node.parent.name!r}"
            for node in descendants(window)
            if node.getRoleName() in CONTROL_ROLES and showing(node) and not speaks(node.name)]


class Release:
    """A release with notes, an agreement and two files, one of them required."""

    def __init__(self, folder, site):
        at = site + "/21214/updates/"
        self.control = at + "vorlix.inf"
        files = {
            "notes.txt": "Version 3.2.0.29\r\n- Lists load faster.\r\n",
            "eula.txt": "Licence agreement\nUse it well.\n",
            "help.txt": "help",
            "carnivals.dat": "carnivals",
            "terms.html": "<html><head><title>Terms</title></head><body><p>Read this first.</p></body></html>",
            "vorlix.inf": (f"[update]\nunconditional=1\ndescr=A release read aloud\n[action]\nhtmldlg={at}terms.html\n"
                           f"[whatsnew]\nfile={at}notes.txt\n[eula]\nfile={at}eula.txt\n"
                           f"[files]\ncount=2\n[file1]\nurl={at}help.txt\ndescr=Help pages\n"
                           f"targetdir={{APP}}/help\n[file2]\nurl={at}carnivals.dat\n"
                           f"descr=Carnival list (required)\ntargetdir={{APP}}/data\nmandatory=1\n"),
        }
        for name, text in files.items():
            with open(os.path.join(folder, name), "w", encoding="utf-8") as f:
                f.write(text)


class Session:
    def __init__(self, program, updater, directory):
        self.work = tempfile.mkdtemp(prefix="vorlix-atspi-")
        self.log = ""
        updates = os.path.join(self.work, "updates")
        app = os.path.join(self.work, "app")
        os.makedirs(updates)
        os.makedirs(app)
        self.directory = subprocess.Popen([directory, "--port", "0", "--updates", updates],
                                          stdout=subprocess.PIPE, text=True)
        site = self.directory.stdout.readline().strip()
        if not site.startswith("http://"):
            raise Failure(f"the directory did not start: {site!r}")
        release = Release(updates, site)
        for tool in (program, updater):
            shutil.copy2(tool, app)
        environment = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                           HOME=self.work, XDG_CONFIG_HOME=os.path.join(self.work, "config"))
        self.app_folder = app
        if os.geteuid() == 0:  # the browser engine's sandbox refuses root
            environment["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
        self.program = subprocess.Popen(
            [os.path.join(app, os.path.basename(program)), "--site", site, "--update-url", release.control],
            cwd=app, env=environment, stdout=subprocess.DEVNULL, stderr=open(os.path.join(self.work, "program.log"), "w"))

    def application(self):
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == "Vorlix Pro":
                return app
        return None

    def window(self, name):
        app = self.application()
        if app is None:
            return None
        for window in children(app):
            if window.name == name and showing(window):
                return window
        return None

    def close(self):
        for process in (self.program, self.directory):
            process.terminate()
            try:
                process.wait(10)
            except subprocess.TimeoutExpired:
                process.kill()
        if os.path.exists(os.path.join(self.work, "program.log")):
            with open(os.path.join(self.work, "program.log"), encoding="utf-8", errors="replace") as log:
                self.log = log.read()
        shutil.rmtree(self.work, ignore_errors=True)


def steps(session, checked):
    """Each step returns True once done and False while what it needs has not shown yet."""

    def window_named(name):
        window = session.window(name)
        if window is None:
            return None
        if name not in checked:
            checked[name] = window
        return window

    def named(window_name, when=None):
        def check():
            window = window_named(window_name)
            if window is None or (when and not when(window)):
                return False
            missing = unnamed_controls(window)
            if missing:
                raise Failure(f"{window_name}: controls without a name: {missing}")
            return True
        return check

    def main_window():
        app = session.application()
        for window in children(app) if app is not None else []:
            if window.name.startswith("Vorlix Pro 3") and showing(window):
                return window
        return None

    def press(window_name, role, name, action="Press"):
        def step():
            window = main_window() if window_name is None else window_named(window_name)
            node = window and find(window, role, name)
            if node is None or not enabled(node):
                return False
            act(node, action)
            return True
        return step

    def next_is_disabled_until_accepted():
        window = window_named(WIZARD)
        accept = window and find(window, "radio button", "I accept")
        if accept is None:
            return False
        if enabled(find(window, "push button", "Next")):
            raise Failure("Next is enabled before the agreement is accepted")
        return True

    def menu_item(name):
        """Chosen as a screen reader chooses it: the item's own action, its menu left closed."""
        def step():
            window = main_window()
            if window is None:
                return False
            for node in descendants(window):
                if node.getRoleName() == "menu item" and node.name == name:
                    actions = node.queryAction()
                    actions.doAction(0)
                    return True
            raise Failure(f"no menu item {name!r}")
        return step

    def role_of(window_name, role):
        def check():
            window = window_named(window_name)
            if window is None:
                return False
            if window.getRoleName() != role:
                raise Failure(f"{window_name} reads as a {window.getRoleName()}, not a {role}")
            return True
        return check

    def results_found():
        window = window_named(QUICK_FINDER)
        table = window and find(window, "table", "Results")
        return table is not None and table.queryTable().nRows > 0

    def keyword(text):
        def step():
            window = window_named(QUICK_FINDER)
            field = window and find(window, "text", "Enter Keyword Here:")
            if field is None:
                return False
            field.queryEditableText().setTextContents(text)
            return True
        return step

    def gone(window_name):
        return lambda: session.window(window_name) is None

    def main_window_named():
        window = main_window()
        if window is None:
            return False
        missing = unnamed_controls(window)
        if missing:
            raise Failure(f"main window: controls without a name: {missing}")
        return True

    return [
        ("the wizard offers the release", named(WIZARD, lambda w: find(w, "push button", "Get update"))),
        ("Get update", press(WIZARD, "push button", "Get update")),
        ("the update's page", named(PAGE_DIALOG, lambda w: find(w, "push button", "Close"))),
        ("Close the page", press(PAGE_DIALOG, "push button", "Close")),
        ("the release notes", named(WIZARD, lambda w: find(w, "text", "What's new"))),
        ("Next after the notes", press(WIZARD, "push button", "Next")),
        ("Next waits for the agreement", next_is_disabled_until_accepted),
        ("I accept", press(WIZARD, "radio button", "I accept", "Toggle")),
        ("Next after accepting", press(WIZARD, "push button", "Next")),
        ("the components", named(WIZARD, lambda w: find(w, "list", "Available application components"))),
        ("Next after the components", press(WIZARD, "push button", "Next")),
        ("the end page", named(WIZARD, lambda w: find(w, "push button", "Exit"))),
        ("Exit", press(WIZARD, "push button", "Exit")),
        ("the release installed", lambda: os.path.exists(os.path.join(session.app_folder, "help", "help.txt"))),
        ("the main window and its names", main_window_named),
        ("Quick Finder", press(None, "push button", "Quick Finder")),
        ("the Quick Finder is a window", role_of(QUICK_FINDER, "frame")),
        ("the Quick Finder's names", named(QUICK_FINDER)),
        ("a keyword", keyword("money")),
        ("Find", press(QUICK_FINDER, "push button", "Find")),
        ("results", results_found),
        ("Close", press(QUICK_FINDER, "push button", "Close")),
        ("the Quick Finder closed", gone(QUICK_FINDER)),
        ("File > Submission History...", menu_item("Submission History...")),
        ("the history is a dialog", role_of(HISTORY, "dialog")),
        ("the history's names", named(HISTORY, lambda w: find(w, "push button", "Close"))),
        ("Close the history", press(HISTORY, "push button", "Close")),
        ("the history closed", gone(HISTORY)),
        ("Help > About", menu_item("About")),
        ("the About box's names", named(ABOUT, lambda w: find(w, "push button", "OK"))),
        ("OK", press(ABOUT, "push button", "OK")),
        ("the About box closed", gone(ABOUT)),
    ]


def main():
    program, updater, directory = sys.argv[1:4]
    session = Session(program, updater, directory)
    checked = {}
    plan = steps(session, checked)
    outcome = {"failure": None, "started": time.monotonic()}
    focus_problems = []

    def on_focus(event):
        if not event.detail1:
            return
        try:
            event.source.getRoleName()
            event.source.getState()
        except Exception as error:  # a focus on an object that is already gone
            focus_problems.append(f"{event.type}: {error}")

    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")

    def tick():
        try:
            if session.program.poll() is not None:
                raise Failure(f"the program ended with {session.program.returncode}")
            if not plan:
                pyatspi.Registry.stop()
                return False
            description, step = plan[0]
            if step():
                print("ok:", description, flush=True)
                plan.pop(0)
                outcome["started"] = time.monotonic()
            elif time.monotonic() - outcome["started"] > STEP_TIMEOUT_S:
                raise Failure(f"{description}: not reached within {STEP_TIMEOUT_S} s")
        except Exception as error:
            outcome["failure"] = f"{plan[0][0]}: {type(error).__name__}: {error}" if plan else str(error)
            pyatspi.Registry.stop()
            return False
        return True

    GLib.timeout_add(300, tick)
    try:
        pyatspi.Registry.start()
    finally:
        session.close()
    if outcome["failure"]:
        print("FAIL:", outcome["failure"])
        print("The program's last words:\n" + "\n".join(session.log.splitlines()[-15:]))
        return 1
    if focus_problems:
        print("FAIL: focus events on objects that no longer exist:", focus_problems)
        return 1
    print("PASS: the wizard, the main window and the Quick Finder through AT-SPI alone")
    return 0


if __name__ == "__main__":
    sys.exit(main())
