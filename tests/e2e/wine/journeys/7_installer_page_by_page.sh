# The installer as a person goes through it, in a fresh prefix of its own, with a picture of each
# page: Pulvar's licence on the licence page (as Ctrl+A, Ctrl+C there copy it) with the line
# naming the licences of what comes beside it; the last page's checked "Start Pulvar", which
# starts Pulvar as its Start-menu entry does (with no NI-488.2 here, its box naming ni4882.dll);
# then the uninstaller, page by page.
installer=$(ls "$package_folder"/Pulvar-*-win64.exe 2>/dev/null | head -n 1)
[ -f "$installer" ] || e2e_fail "no installer in $package_folder"
wine_prefix_env "$work/prefix"
wine_boot_prefix

# A picture of one window with its frame, numbered in the journey's order.
snap_window() {
    shot=$((shot + 1))
    import -frame -window "$2" "$artifacts/$(printf %02d "$shot")-$1.png" 2>/dev/null
}
# What a window shows, as a checksum of its picture.
looks() { import -window "$1" rgb:- 2>/dev/null | md5sum | cut -d' ' -f1; }
# Waits until a window looks other than it did, and then stays so while it is looked at twice:
# the next page has been drawn.
changed_from() { [ "$(looks "$1")" != "$2" ]; }
# The same look at two of within's polls in a row: the page has been drawn and stays.
page_settled() {
    local now
    now=$(looks "$1") || return 1
    [ "$now" == "$settled_look" ] && return 0
    settled_look=$now
    return 1
}
# page_drawn <window> <seconds>: waits for the window's page to settle, from a fresh look.
page_drawn() {
    settled_look=
    within "$2" page_settled "$1"
}
next_page() {
    local before
    before=$(looks "$1")
    e2e_keys "$1" "$2"
    within 60 changed_from "$1" "$before" || e2e_fail "the page stays after $2"
    page_drawn "$1" 60 || e2e_fail "the page never settles after $2"
}
# One point of the tall picture that the welcome page and the finish page alone carry on their
# left, where the page of the files going in is plain: the finish page is there once it shows
# what the welcome page showed at that point (the page of the files going in, complete, also
# stands still for a moment before the finish page comes by itself).
picture_point() { import -window "$1" -crop 1x1+20+250 +repage txt:- 2>/dev/null | tail -n 1; }
shows_picture() { [ "$(picture_point "$1")" == "$welcome_point" ]; }
# The first window named so, once there.
named_window() { xdotool search --name "$1" 2>/dev/null | head -n 1; }
window_named() { [ -n "$(named_window "$1")" ]; }

started_program=$installer
e2e_start
setup=$(e2e_wait_window '^Pulvar Setup$') || e2e_fail "no installer window"
page_drawn "$setup" 30 || e2e_fail "the welcome page never settles"
snap_window installer-welcome "$setup"
welcome_point=$(picture_point "$setup")

next_page "$setup" Return
snap_window installer-licence "$setup"
# The licence text itself, out of the page: a click into it, then select all and copy.
copy_to_clipboard "(nothing copied)"
click_at "$setup" 250 170
e2e_keys "$setup" ctrl+a ctrl+c
within 5 clipboard_changed || e2e_fail "nothing copied from the licence page"
shown_licence=$(xclip -o -selection clipboard | tr -d '\r' | tr -s ' \n' ' ')
for part in "$(cat "$PULVAR_SOURCE_DIR/LICENSE")" \
    "$(cat "$PULVAR_SOURCE_DIR/packaging/windows/licence-beside.txt")"; do
    grep -qF -- "$(tr -s ' \n' ' ' <<<"$part")" <<<"$shown_licence" ||
        e2e_fail "the licence page lacks: ${part:0:60}... It shows: ${shown_licence:0:200}"
done

next_page "$setup" alt+a
snap_window installer-folder "$setup"
next_page "$setup" Return
snap_window installer-start-menu "$setup"
e2e_keys "$setup" Return
# The files go in, then the last page comes by itself.
within 120 test -f "$program_folder/Uninstall.exe" || e2e_fail "nothing installed"
within 60 shows_picture "$setup" || e2e_fail "no finish page"
page_drawn "$setup" 60 || e2e_fail "the last page never settles"
snap_window installer-finished "$setup"

# Finish, with "Start Pulvar" checked as it comes.
e2e_keys "$setup" Return
within 60 window_named '^Pulvar$' || e2e_fail "Pulvar was not started"
box=$(named_window '^Pulvar$')
said=$(box_text Pulvar) || e2e_fail "Pulvar's box cannot be read"
grep -qF "ni4882.dll could not be loaded" <<<"$said" || e2e_fail "Pulvar's box says: $said"
e2e_keys "$box" Return
within 30 no_window '^Pulvar$' || e2e_fail "Pulvar's box stays"
within 30 no_window '^Pulvar Setup$' || e2e_fail "the installer stays"

# The uninstaller goes on from a copy of itself, so its window is waited for by name.
wine_run "$installed\\Uninstall.exe" &
within 60 window_named '^Pulvar Uninstall *$' || e2e_fail "no uninstaller window"
uninstall=$(named_window '^Pulvar Uninstall *$')
page_drawn "$uninstall" 30 || e2e_fail "the uninstaller's page never settles"
snap_window uninstaller-confirm "$uninstall"
e2e_keys "$uninstall" Return
within 120 eval '[ ! -e "$program_folder/pulvar.exe" ]' || e2e_fail "nothing uninstalled"
page_drawn "$uninstall" 60 || e2e_fail "the uninstaller's last page never settles"
snap_window uninstaller-finished "$uninstall"
e2e_keys "$uninstall" Return
within 30 no_window '^Pulvar Uninstall *$' || e2e_fail "the uninstaller stays"
