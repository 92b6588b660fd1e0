#!/usr/bin/env bash
# Runs one bench engineer's journey: the real program on the bench library, in its own virtual X
# display with a window manager and its own session and accessibility buses, driven only through
# the keyboard and the mouse and read only from outside. What it saw (screenshots, the bench's
# trace, the program's output, the settings store) stays in the artifacts folder.
#   run.bash <pulvar> <bench library folder> <journey script> <artifacts folder>
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
. "$here/../e2e_lib.bash"
. "$here/journey_lib.bash"
journey_begin "$@"
. "$3"
echo "journey $(basename "$3" .sh): ok in ${SECONDS} s"
