# The uninstaller, silent, removes every file and Start-menu entry it installed and its own
# registry entries, and leaves the user's settings in the registry as they were.
forget_settings
wine_run reg add "$settings_key\\Settings\\PS5010" /v "U+" /t REG_SZ /d 12.5 /f >/dev/null ||
    e2e_fail "cannot store a setting"
before=$(registry_settings PS5010)

[ -f "$program_folder/Uninstall.exe" ] || e2e_fail "nothing installed"
wine_run "$installed\\Uninstall.exe" /S || e2e_fail "the uninstaller failed with status $?"
# It finishes from a copy of itself in the temporary folder.
wineserver -w

[ ! -e "$program_folder" ] || e2e_fail "left in Program Files: $(files_below "$program_folder" | tr '\n' ' ')"
menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Pulvar"
[ ! -e "$menu" ] || e2e_fail "left in the Start menu: $(ls "$menu" | tr '\n' ' ')"
! wine_run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pulvar' \
    >/dev/null 2>&1 || e2e_fail "its uninstall entry is left"
[ "$(registry_settings PS5010)" == "$before" ] &&  [ "$before" == "U+=12.5" ] ||
    e2e_fail "the settings are now: $(registry_settings PS5010 | tr '\n' ' ')"
