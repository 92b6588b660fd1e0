#!/usr/bin/env bash
# Runs one journey under wine: Pulvar for 64-bit Windows as its installer put it into the wine
# prefix, in a virtual X display of its own with a window manager, driven by keys and clicks
# and read from outside. What it saw stays in the artifacts folder.
#   run.bash <wine prefix> <package folder> <journey script> <artifacts folder>
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine_lib.bash"
package_folder=$2
wine_begin "$1" "$4"
. "$3"
echo "journey under wine $(basename "$3" .sh): ok in ${SECONDS} s"
