#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# Reads the editor's window through AT-SPI, as a screen reader does: the role and name of every
# control, the Tab cycle, the map as a table after a load and a mode button, the current cell
# after a pointer move and after a press through a cell's action, and a direction set with the
# keyboard alone.
# Run by atspi_test.sh, inside a private session bus and an X server.
# Usage: atspi_test.py EDITOR MAP-FILE WIDTH HEIGHT
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

editor, map_file = sys.argv[1], sys.argv[2]
width, height = int(sys.argv[3]), int(sys.argv[4])
with open(map_file, "rb") as f:
    map_bytes = f.read()


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, condition, seconds=20, then=None):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        GLib.MainContext.default().iteration(False)
        try:
            result = condition()
        except Exception:  # the tree changes under us while the window is built
            result = None
        if result:
            return result
        time.sleep(0.05)
    fail("timed out waiting for " + what + ("" if then is None else ": " + then()))


def children(node):
    return [node.getChildAtIndex(i) for i in range(node.childCount)]


def has_state(node, state):
    return node.getState().contains(state)


def the_application():
    desktop = pyatspi.Registry.getDesktop(0)
    return next((app for app in children(desktop) if app and app.name == "Quarl editor"), None)


def key(name):
    subprocess.run(["xdotool", "key", "--clearmodifiers", name], check=True)


def click(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2),
                    str(box.y + box.height // 2), "click", "1"], check=True)


# Opens a menu and clicks its first item, which must be the one named. A click, not the item's
# action: a dialog's own event loop would hold the action's reply.
def choose(menu, name):
    item = children(children(menu)[0])[0]
    if item.name != name:
        fail("the first item of the %s menu is %r" % (menu.name, item.name))
    click(menu)
    wait_for("the %s menu" % menu.name, lambda: has_state(item, pyatspi.STATE_SHOWING))
    click(item)


def tile_byte(col, row, offset):
    return map_bytes[8 + 23 * ((row - 1) * width + (col - 1)) + offset]


# The mode buttons by their captions; the scroll and zoom buttons, whose captions are arrows
# drawn with slashes, by what they do.
BUTTONS = ["Draw Type", "Draw Height", "Draw Objects", "Draw Usage", "Draw Dir", "Edit View",
           "Draw Light", "Scroll up", "Scroll left", "Scroll right", "Scroll down", "Zoom in",
           "Zoom out"]

focus_events = []
pyatspi.Registry.registerEventListener(
    lambda event: event.detail1 and focus_events.append(event.source.name),
    "object:state-changed:focused")
# The cells' new names as they are told, and what the table tells of itself.
name_events = []
table_events = []


def on_change(event):
    try:
        role = event.source.getRole()
    except Exception:  # a cell gone with the table read afresh
        return
    if role == pyatspi.ROLE_TABLE_CELL and event.type.startswith("object:property-change"):
        name_events.append(event.source.name)
    elif role == pyatspi.ROLE_TABLE and not event.type.startswith("object:property-change"):
        table_events.append(event.type)


pyatspi.Registry.registerEventListener(
    on_change, "object:property-change:accessible-name", "object:children-changed",
    "object:model-changed", "object:row-inserted", "object:row-deleted")

process = subprocess.Popen([editor])
try:
    app = wait_for("the editor on the accessibility bus", the_application)
    window = wait_for("the window", lambda: next(
        (w for w in children(app) if w.getRole() == pyatspi.ROLE_FRAME and w.name == "Quarl editor"),
        None))
    client = wait_for("the client area", lambda: next(
        (c for c in children(window) if c.getRole() == pyatspi.ROLE_FILLER), None))
    controls = children(client)

    # --- Every control by role and name, the captions exactly, and nothing else.
    expected = sorted(
        [(pyatspi.ROLE_LABEL, n) for n in ["Value:", "Edit Value", "dir", "Editdir"]]
        + [(pyatspi.ROLE_TEXT, n) for n in ["Value", "Edit value", "Column", "Row", "Direction",
                                            "Edit direction"]]
        + [(pyatspi.ROLE_STATUS_BAR, "Status")]
        + [(pyatspi.ROLE_PUSH_BUTTON, n) for n in BUTTONS]
        + [(pyatspi.ROLE_COMBO_BOX, "Ore"), (pyatspi.ROLE_COMBO_BOX, "Brush size"),
           (pyatspi.ROLE_TABLE, "Map")])
    seen = sorted((c.getRole(), c.name) for c in controls)
    if seen != expected:
        fail("the controls are %s, expected %s" % (
            [(c.getRoleName(), c.name) for c in controls], [(str(r), n) for r, n in expected]))
    by_name = {c.name: c for c in controls}
    for label, box in [("Value:", "Value"), ("Edit Value", "Edit value"), ("dir", "Direction"),
                       ("Editdir", "Edit direction")]:
        targets = [t.name for r in by_name[label].getRelationSet()
                   if r.getRelationType() == pyatspi.RELATION_LABEL_FOR
                   for t in [r.getTarget(i) for i in range(r.getNTargets())]]
        if targets != [box]:
            fail("label %r labels %s, not %r" % (label, targets, box))
    for combo, item in [("Ore", "GOLD"), ("Brush size", "1 X 1")]:
        selected = [i.name for i in children(children(by_name[combo])[0])
                    if has_state(i, pyatspi.STATE_SELECTED)]
        if selected != [item]:
            fail("%s has %s selected, not %s" % (combo, selected, item))

    # --- Load through the menu and the open dialog; the status line reads the map's size.
    menus = children(next(c for c in children(window) if c.getRole() == pyatspi.ROLE_MENU_BAR))
    choose(menus[0], "Load Map")
    wait_for("the open dialog", lambda: any(w.name == "Load Map" for w in children(app)))
    time.sleep(0.3)
    subprocess.run(["xdotool", "type", "--delay", "5", map_file], check=True)
    key("Return")
    status = by_name["Status"].queryText()
    size_text = "Filesize: %d  Mapsize: %d X %d" % (len(map_bytes), width, height)
    wait_for("the load status", lambda: status.getText(0, -1) == size_text)

    # --- A mode button: the map is a table of every tile on show.
    click(by_name["Draw Height"])
    table_node = by_name["Map"]
    table = table_node.queryTable()
    wait_for("the height view", lambda: table_node.description.startswith("Draw Height"))
    if (table.nRows, table.nColumns) != (height, width):
        fail("the table has %d rows and %d columns" % (table.nRows, table.nColumns))
    if table_node.childCount != width * height:
        fail("the table has %d cells" % table_node.childCount)

    # --- The pointer onto tile (7, 4): that cell becomes the current one, named as the readout.
    cell = table.getAccessibleAt(3, 6)
    box = cell.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2 - 1),
                    str(box.y + box.height // 2 - 1), "mousemove", str(box.x + box.width // 2),
                    str(box.y + box.height // 2)], check=True)
    name = "column 7, row 4, height %d, direction %d" % (tile_byte(7, 4, 2), tile_byte(7, 4, 3))
    wait_for("the current cell", lambda: has_state(cell, pyatspi.STATE_FOCUSED))
    if cell.name != name:
        fail("the current cell is named %r, expected %r" % (cell.name, name))
    wait_for("the focus event of the cell", lambda: name in focus_events)
    if by_name["Column"].queryText().getText(0, -1) != "7":
        fail("the readout does not name column 7")

    # --- A screen reader's click on tile (10, 6), through the cell's action: the tile is painted
    # with Edit Value's 0 and its cell becomes the current one.
    if tile_byte(10, 6, 2) == 0:
        fail("tile (10, 6) holds height 0 before it is painted")
    pressed = table.getAccessibleAt(5, 9)
    try:
        action = pressed.queryAction()
    except NotImplementedError:
        fail("the cell offers no action")
    if [action.getName(i) for i in range(action.nActions)] != ["Press"]:
        fail("the cell's actions are not Press alone")
    action.doAction(0)
    wait_for("the pressed cell to be current", lambda: has_state(pressed, pyatspi.STATE_FOCUSED))
    if has_state(cell, pyatspi.STATE_FOCUSED) or not pressed.name.startswith(
            "column 10, row 6, height 0,"):
        fail("after the press the current cells are %s" % [
            c.name for c in (cell, pressed) if has_state(c, pyatspi.STATE_FOCUSED)])

    # --- The Tab cycle, from the status line round to it again.
    by_name["Status"].queryComponent().grabFocus()
    wait_for("the status line's focus", lambda: has_state(by_name["Status"], pyatspi.STATE_FOCUSED))
    cycle = ["Status"]
    for _ in range(len(controls)):
        key("Tab")
        focused = wait_for("the focus to move", lambda: next(
            (c.name for c in controls if has_state(c, pyatspi.STATE_FOCUSED)
             and c.name != cycle[-1]), None))
        # One object has the focus; the hidden lists of the combo boxes claim none.
        claims = [c.name for c in controls if has_state(c, pyatspi.STATE_FOCUSED)] + [
            i.name for combo in ("Ore", "Brush size") for i in children(children(by_name[combo])[0])
            if has_state(i, pyatspi.STATE_FOCUSED)]
        if claims != [focused]:
            fail("focused at once: %s" % claims)
        if focused == "Status":
            break
        cycle.append(focused)
    print("Tab cycle: " + ", ".join(cycle))
    if cycle != ["Status"] + BUTTONS + [
            "Value", "Edit value", "Column", "Row", "Direction", "Edit direction", "Ore",
            "Brush size", "Map"]:
        fail("the Tab cycle is not the window's order with the map after the combo boxes")

    # --- Column, Row and Editdir typed, Tab to the map, Space: a direction set without a mouse.
    for box_name, text in [("Column", "12"), ("Row", "9"), ("Edit direction", "3")]:
        by_name[box_name].queryEditableText().setTextContents(text)
    by_name["Edit direction"].queryComponent().grabFocus()
    wait_for("Editdir's focus", lambda: has_state(by_name["Edit direction"], pyatspi.STATE_FOCUSED))
    for _ in range(3):
        key("Tab")
    wait_for("the map's focus", lambda: has_state(table_node, pyatspi.STATE_FOCUSED))
    key("space")
    changed = table.getAccessibleAt(8, 11)
    wait_for("direction 3 on tile (12, 9)", lambda: changed.name.endswith(", direction 3"))

    # --- A press while the About box waits for an answer does nothing.
    choose(menus[2], "About")
    wait_for("the About box", lambda: any(w.name == "About Quarl editor" for w in children(app)))
    refused = table.getAccessibleAt(7, 12)
    words = refused.name
    if not words.startswith("column 13, row 8, height %d," % tile_byte(13, 8, 2)):
        fail("tile (13, 8) is named %r" % words)
    refused.queryAction().doAction(0)
    end = time.monotonic() + 1
    while time.monotonic() < end:
        GLib.MainContext.default().iteration(False)
        time.sleep(0.05)
    if refused.name != words or has_state(refused, pyatspi.STATE_FOCUSED):
        fail("a press with the About box open changed tile (13, 8): %r" % refused.name)
    key("Return")
    wait_for("the About box to close",
             lambda: not any(w.name == "About Quarl editor" for w in children(app)))

    # --- A 7 x 7 brush dragged two tiles right from tile (2, 2): each cell it wrote is told
    # anew, the later strokes' too, and is named with its new words.
    paint = by_name["Edit value"].queryEditableText()
    paint.setTextContents("5")
    # A click: with no window manager, the window is not active again when the About box goes.
    click(by_name["Edit direction"])
    wait_for("Editdir's focus", lambda: has_state(by_name["Edit direction"], pyatspi.STATE_FOCUSED))
    key("Tab")
    key("Tab")
    wait_for("the brush size's focus", lambda: has_state(by_name["Brush size"], pyatspi.STATE_FOCUSED))
    key("End")
    wait_for("the 7 x 7 brush", lambda: by_name["Brush size"].queryText().getText(0, -1) == "7 X 7")
    drawn = [(c, r) for r in range(2, 9) for c in range(2, 11)]
    before = {t: table.getAccessibleAt(t[1] - 1, t[0] - 1).name for t in drawn}
    del name_events[:]
    start = table.getAccessibleAt(1, 1).queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    y = start.y + start.height // 2
    xs = [start.x + start.width // 2 + start.width * i for i in range(3)]
    subprocess.run(["xdotool", "mousemove", str(xs[0]), str(y), "mousedown", "1", "mousemove",
                    str(xs[1]), str(y), "mousemove", str(xs[2]), str(y), "mouseup", "1"],
                   check=True)
    words = lambda c, r: "column %d, row %d, height 5, direction %d" % (c, r, tile_byte(c, r, 3))
    expected = {words(c, r) for c, r in drawn}
    wait_for("the drawn cells' name changes", lambda: set(name_events) >= expected,
             then=lambda: "not told: %s; told: %s" % (sorted(expected - set(name_events)),
                                                      name_events))
    stale = [t for t in drawn if table.getAccessibleAt(t[1] - 1, t[0] - 1).name != words(*t)]
    if stale:
        fail("after the drag cells keep their old names: %s" % [before[t] for t in stale])

    # --- Clear Map, chosen from the menu: the table is told to be read afresh, once (a bridge
    # of Qt before 6.5 passes no such word on), and the cells are named with the cleared map's
    # words, though the picture still shows the old map.
    del name_events[:]
    del table_events[:]
    choose(menus[1], "Clear Map")
    wait_for("the cleared words", lambda: table.getAccessibleAt(9, 20).name ==
             "column 21, row 10, height 20, direction 0")
    qt = tuple(int(part) for part in app.get_toolkit_version().split(".")[:2])
    resets = lambda: [e for e in table_events if e == "object:model-changed"]
    if qt >= (6, 5):
        wait_for("the table read afresh", resets)
    end = time.monotonic() + 0.5
    while time.monotonic() < end:
        GLib.MainContext.default().iteration(False)
        time.sleep(0.05)
    # Qt 6.11's bridge also tells that each cell read before has gone.
    if resets() != (["object:model-changed"] if qt >= (6, 5) else []) or name_events:
        fail("after Clear Map the table told %s and %d name changes" % (set(table_events),
                                                                         len(name_events)))

    print("AT-SPI test passed")
finally:
    process.terminate()
    process.wait(timeout=10)
