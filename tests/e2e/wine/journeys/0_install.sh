# The installer, silent, into a fresh prefix: Program Files\Pulvar holds the programs, Qt and the
# compiler's run-time beside them, the bench's and the adapter library's ni4882.dll each in a
# folder of its own, the licences; the Start menu holds "Pulvar", "Pulvar on the simulated bench"
# and "Pulvar on a GPIB adapter"; the zip holds the same
# files; nothing refers to the build machine's folders.
installer="$package_folder/Pulvar-$PULVAR_VERSION-win64.exe"
zip="$package_folder/Pulvar-$PULVAR_VERSION-win64.zip"
[ -f "$installer" ] && [ -f "$zip" ] || e2e_fail "no installer and zip in $package_folder"

wine_boot_prefix
wine_run "$installer" /S || e2e_fail "the installer failed with status $?"
wineserver -w

expected="Qt6Core.dll
Qt6Gui.dll
Qt6Widgets.dll
Uninstall.exe
adapter/ni4882.dll
bench/ni4882.dll
libgcc_s_seh-1.dll
libstdc++-6.dll
libwinpthread-1.dll
licences/GCC-runtime.txt
licences/GPL-2.txt
licences/GPL-3.txt
licences/LGPL-2.1.txt
licences/LGPL-3.txt
licences/Pulvar.txt
licences/Qt.txt
licences/README.txt
licences/mingw-w64-runtime.txt
platforms/qwindows.dll
pulvar-adapter.exe
pulvar-bench.exe
pulvar-cli.exe
pulvar.exe
styles/qwindowsvistastyle.dll"
installed_files=$(files_below "$program_folder")
[ "$installed_files" == "$expected" ] ||
    e2e_fail "installed: $(diff <(echo "$expected") <(echo "$installed_files") | tr '\n' '|')"

unzip -q "$zip" -d "$work/zip"
[ "$(files_below "$work/zip/Pulvar-$PULVAR_VERSION-win64")" == "$(grep -v '^Uninstall.exe$' <<<"$expected")" ] ||
    e2e_fail "the zip holds: $(files_below "$work/zip" | tr '\n' ' ')"

menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Pulvar"
shortcut_names "$menu/Pulvar.lnk" | grep -qiF 'Program Files\Pulvar\pulvar.exe' ||
    e2e_fail "no Start-menu entry Pulvar for pulvar.exe"
shortcut_names "$menu/Pulvar on the simulated bench.lnk" |
    grep -qiF 'Program Files\Pulvar\pulvar-bench.exe' ||
    e2e_fail "no Start-menu entry for the bench"
shortcut_names "$menu/Pulvar on a GPIB adapter.lnk" |
    grep -qiF 'Program Files\Pulvar\pulvar-adapter.exe' ||
    e2e_fail "no Start-menu entry for the adapter"

# Paths of the build machine (the kit's prefix, the compilers' folders, this build) would be
# looked up in vain on the user's machine. The licences quote Debian's own paths and are left out.
build_paths="/opt/pulvar-qt-mingw64|/usr/(lib|share|include|x86_64-w64-mingw32)/"
build_paths+="|$(dirname "$package_folder")|${PULVAR_SOURCE_DIR:-/nowhere}"
for file in $(files_below "$program_folder" | grep -v '^licences/'); do
    ! { strings -a "$program_folder/$file"; strings -a -el "$program_folder/$file"; } |
        grep -qE "$build_paths" || e2e_fail "$file names a folder of the build machine"
done
