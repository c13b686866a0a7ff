# SPDX-License-Identifier: GPL-3.0-or-later
# The session window as a screen reader finds it on the accessibility bus: the controls by
# the names people hear, and each problem listed by its LINE:COLUMN: message.
# Usage: accessible_names.py APPNAME 'LINE:COLUMN: message'
import sys
import time

import pyatspi

WANTED = ["Play", "Stop", "Position", "Volume", "Session text", "Problems", "Timeline"]


def find_app(name, seconds=20):
    end = time.time() + seconds
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    sys.exit(f"no application named {name!r} on the accessibility bus")


def walk(node, depth=0):
    yield node
    if depth > 40:
        return
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def main():
    app_name, problem = sys.argv[1], sys.argv[2]
    app = find_app(app_name)
    # The problems are read in the background: wait for the list to fill.
    end = time.time() + 20
    while True:
        nodes = list(walk(app))
        names = {n.name for n in nodes}
        problems = [n for n in nodes if n.name == "Problems" and n.getRoleName() == "list"]
        items = [c.name for p in problems for c in walk(p) if c is not p]
        if problem in items or time.time() > end:
            break
        time.sleep(0.2)
    missing = [w for w in WANTED if w not in names]
    if missing:
        sys.exit(f"not found by name: {missing}; names seen: {sorted(n for n in names if n)}")
    if problem not in items:
        sys.exit(f"the Problems list holds {items}, not {problem!r}")
    print("every control found by its name, and the problem by its place and message")


main()
