#!/usr/bin/python3
"""Reads Pulvar's windows from outside, as a screen reader does, through the accessibility bus.

  a11y.py text TITLE      the texts of the labels in the window titled TITLE, one per line
  a11y.py value NAME      what the label described as NAME shows, or the text of the entry
                          field named NAME
  a11y.py states NAME     the states of the control or menu entry named NAME ("checked",
                          "enabled", "showing", ...), one per line
  a11y.py centre NAME     "x y": the middle of the control or menu entry named NAME, on screen,
                          while it shows
  a11y.py busy TITLE      "busy" while the window titled TITLE is in the middle of an exchange
                          with the supply, "idle" otherwise

The exit status is 1 when no such window or control is there (yet), so that callers can poll.
"""
import sys

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def descendants(node):
    yield node
    for index in range(node.get_child_count()):
        child = node.get_child_at_index(index)
        if child is not None:
            yield from descendants(child)


def pulvar_applications():
    desktop = Atspi.get_desktop(0)
    for index in range(desktop.get_child_count()):
        application = desktop.get_child_at_index(index)
        if application is not None and application.get_name() == "Pulvar":
            yield application


def pulvar_nodes():
    for application in pulvar_applications():
        yield from descendants(application)


def state_names(node):
    states = node.get_state_set().get_states()
    return [Atspi.StateType(state).value_nick for state in states]


def showing(node):
    return node.get_state_set().contains(Atspi.StateType.SHOWING)


def shown_text(node):
    if node.get_role() in (Atspi.Role.TEXT, Atspi.Role.ENTRY):
        return Atspi.Text.get_text(node, 0, Atspi.Text.get_character_count(node))
    return node.get_name()


def window_text(title):
    for node in pulvar_nodes():
        if node.get_name() == title and node.get_role() in WINDOW_ROLES:
            labels = [n.get_name() for n in descendants(node) if n.get_role() == Atspi.Role.LABEL]
            return "\n".join(labels)
    return None


def value(name):
    for node in pulvar_nodes():
        if node.get_description() == name or (
            node.get_role() in (Atspi.Role.TEXT, Atspi.Role.ENTRY) and node.get_name() == name
        ):
            return shown_text(node)
    return None


def named(name):
    """The control named so, a showing one first (a menu entry is listed before it opens)."""
    matches = [node for node in pulvar_nodes() if node.get_name() == name]
    matches.sort(key=lambda node: not showing(node))
    return matches[0] if matches else None


def states(name):
    node = named(name)
    return None if node is None else "\n".join(state_names(node))


def centre(name):
    node = named(name)
    if node is None or not showing(node):
        return None
    box = node.get_extents(Atspi.CoordType.SCREEN)
    return f"{box.x + box.width // 2} {box.y + box.height // 2}"


def busy(title):
    """Only the windows themselves are looked at, so that polling it stays cheap."""
    for application in pulvar_applications():
        for index in range(application.get_child_count()):
            window = application.get_child_at_index(index)
            if window is not None and window.get_name() == title:
                busy = window.get_state_set().contains(Atspi.StateType.BUSY)
                return "busy" if busy else "idle"
    return None


WINDOW_ROLES = (Atspi.Role.FRAME, Atspi.Role.DIALOG, Atspi.Role.ALERT)
COMMANDS = {
    "text": window_text,
    "value": value,
    "states": states,
    "centre": centre,
    "busy": busy,
}

if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in COMMANDS:
        sys.exit(__doc__)
    answer = COMMANDS[sys.argv[1]](sys.argv[2])
    if answer is None:
        sys.exit(1)
    print(answer)
