# "About" from the keyboard: the dialog titled "About Pulvar"; Check for Updates and a click on
# the e-mail address reach the shell's open, which wine hands to the Linux side's opener: the
# update page and the mail link with its subject arrive there.
export GPIB_BENCH_STATE="$work/state"
mkdir "$work/bin"
for opener in xdg-open xdg-email; do
    printf '#!/bin/sh\necho "%s $*" >>"%s"\n' "$opener" "$work/opened" >"$work/bin/$opener"
    chmod +x "$work/bin/$opener"
done
export PATH="$work/bin:$PATH"
opened() { grep -qF -- "$1" "$work/opened" 2>/dev/null; }

start_on_bench "7=PS5010" '^Pulvar PS5010, v1\.51 / ZQ$'
started 2
e2e_keys "$window" alt+a
about=$(e2e_wait_window '^About Pulvar$') || e2e_fail "Alt+A opens no About dialog"

e2e_keys "$about" alt+u
within 20 opened "xdg-open https://www.example.org/dl/Pulvar.htm" ||
    e2e_fail "the update page was not opened: $(cat "$work/opened" 2>/dev/null)"
# The e-mail address, at its place in the dialog (1050, 2640 twips), clicked with the mouse.
click_at "$about" 90 183
within 20 opened "mailto:" || e2e_fail "no mail link was opened: $(cat "$work/opened")"
grep -q 'mailto:[^ ]*@[^ ]*?subject=Pulvar$' "$work/opened" ||
    e2e_fail "the mail link: $(grep mailto "$work/opened")"

cp "$work/opened" "$artifacts/"
# Taken once the dialog has answered keys and clicks, so that it has been drawn.
snap about

e2e_keys "$about" Escape
within 10 no_window '^About Pulvar$' || e2e_fail "Esc leaves the About dialog open"
e2e_keys "$window" alt+x
e2e_wait_exit && [ "$exit_status" -eq 0 ] || e2e_fail "no clean exit"
