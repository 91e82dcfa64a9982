#!/bin/sh
# Runs a program on a session bus of its own with the accessibility bus started, as on a desktop
# where a screen reader listens: Qt then sends its accessibility events.
#   dbus-run-session -- sh scripts/a11y-session.sh PROGRAM [ARGS...]
# Asking for the accessibility bus's address starts it and answers once it is there.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
  >/dev/null || exit 1
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec "$@"
