#!/usr/bin/env bash
# Makes the Windows installer and the zip from the build, then under Wine installs silently with
# the desktop shortcut and the all-users PATH asked for (to a folder outside Program Files, which
# gets the user's PATH instead), checks what a user finds (files, shortcuts, the .prm
# association), runs the installed programs, uninstalls silently and checks that nothing is left,
# not even an empty key or PATH value.
# Usage: run-installer-test.sh CPACK BUILD_DIR WINEPREFIX
set -euo pipefail

cpack=$1
build=$2
prefix=$(realpath -m "$3")
wine=("$(dirname "$0")/../../scripts/wine-run.sh" "$prefix")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
    echo "$*" >&2
    exit 1
}

"$cpack" --config "$build/CPackConfig.cmake" -G NSIS -B "$scratch" >"$scratch/cpack.log" ||
    fail "cpack: $(cat "$scratch/cpack.log")"
installer=$(echo "$scratch"/*.exe)
[[ -f $installer ]] || fail "no installer in $scratch"
# The licence page shows the licence, and the options page names the product as users know it.
script=$(find "$scratch" -name project.nsi)
grep -q "MUI_PAGE_LICENSE \".*/LICENSE\"" "$script" || fail "no licence page with LICENSE"
options=$(dirname "$script")/NSIS.InstallOptions.ini
grep -q "desktop" "$options" && ! grep -q "corvane" "$options" ||
    fail "the options page does not speak of Corvane: $(grep Text= "$options")"

documents=(doc/README.txt doc/LICENSE.txt doc/CHANGELOG.txt examples/k31-audio.prm
    examples/k47-audio.prm examples/corvane-settings.reg)
"$cpack" --config "$build/CPackConfig.cmake" -G ZIP -B "$scratch" >"$scratch/cpack.log" ||
    fail "cpack: $(cat "$scratch/cpack.log")"
zipped=$(unzip -Z1 "$scratch"/*.zip)
for file in "${documents[@]}" bin/Corvane.exe bin/corvane-update.exe; do
    grep -q "/$file\$" <<<"$zipped" || fail "not in the zip: $file"
done

# NSIS reads /D only unquoted, and Wine quotes an argument with a space.
folder='C:\CorvaneTest'
installed="$prefix/drive_c/CorvaneTest"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane'
rm -rf "$installed"
# The value's line, or nothing when there is no such value.
user_path() {
    "${wine[@]}" reg query 'HKCU\Environment' /v PATH 2>/dev/null | tr -d '\r' | grep REG_ || true
}
"${wine[@]}" "$installer" /S /DESKTOP /PATH=ALL "/D=$folder"
for file in bin/Corvane.exe bin/corvane-update.exe "${documents[@]}"; do
    [[ -f $installed/$file ]] || fail "not installed: $file"
done
cmp -s "$installed/doc/LICENSE.txt" "$(dirname "$0")/../../LICENSE" || fail "LICENSE.txt differs"
version=$("${wine[@]}" "$installed/bin/corvane-update.exe" --version | tr -d '\r')
[[ $version == "corvane-update "* ]] || fail "the installed command says: $version"
echo "installed: $version"
# The window keeps the command's conventions: -V prints the version, a usage error exits 64.
window_version=$("${wine[@]}" "$installed/bin/Corvane.exe" -V | tr -d '\r')
[[ $window_version == "Corvane "* ]] || fail "the installed window says: $window_version"
# --port and --baud as the command takes them, a rate in decimal only.
for wrong in --bogus "--baud 0x1c200" "--baud 0" --port "--station --bogus" "--station --match" \
    "--station --registry"; do
    status=0
    # shellcheck disable=SC2086 # each is an option with its value
    "${wine[@]}" "$installed/bin/Corvane.exe" $wrong 2>/dev/null || status=$?
    [[ $status == 64 ]] || fail "the installed window ends '$wrong' with $status, not 64"
done
given=$("${wine[@]}" "$installed/bin/Corvane.exe" -p COM5 --baud 57600 -V | tr -d '\r')
[[ $given == "$window_version" ]] || fail "the window does not take --port and --baud: $given"
given=$("${wine[@]}" "$installed/bin/Corvane.exe" --station -p COM5 -p COM6 --record r.jsonl -V |
    tr -d '\r')
[[ $given == "$window_version" ]] || fail "the station does not take its options: $given"
shortcut=$(find "$prefix/drive_c" -path '*/Start Menu/Programs/Corvane/Corvane.lnk')
[[ -n $shortcut ]] || fail "no Start menu entry Corvane\\Corvane.lnk"
menu=$(dirname "$shortcut")
for entry in "Corvane command prompt.lnk" "Corvane station.lnk" Uninstall.lnk; do
    [[ -f $menu/$entry ]] || fail "no Start menu entry Corvane\\$entry"
done
grep -qa cmd.exe "$menu/Corvane command prompt.lnk" || fail "the command prompt entry opens no console"
# A link's texts are UTF-16.
station_link=$(tr -d '\0' <"$menu/Corvane station.lnk")
[[ $station_link == *Corvane.exe* && $station_link == *--station* ]] ||
    fail "the station entry does not open Corvane.exe --station"
desktop=$(find "$prefix/drive_c/users" -path '*/Desktop/Corvane.lnk')
[[ -n $desktop ]] || fail "no desktop shortcut, though asked for"
"${wine[@]}" reg query "$uninstall_key" >/dev/null || fail "no uninstall entry"
classes='HKLM\Software\Classes'
"${wine[@]}" reg query "$classes\.prm" /ve | grep -q Corvane.ParameterFile ||
    fail ".prm is not associated with Corvane"
"${wine[@]}" reg query "$classes\Corvane.ParameterFile\shell\open\command" /ve |
    grep -qF 'CorvaneTest\bin\Corvane.exe" "%1"' || fail "the association does not open Corvane.exe"
# All users' PATH only for a folder under Program Files: this one goes on the user's own.
! "${wine[@]}" reg query 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' \
    /v PATH | grep -qi CorvaneTest || fail "a folder outside Program Files is on every user's PATH"
user_path | grep -qi 'CorvaneTest\\bin' || fail "bin is not on the user's PATH: $(user_path)"

# The uninstaller copies itself elsewhere and returns at once, unless told to run in place
# (_?=), which leaves only itself behind.
"${wine[@]}" "$installed/Uninstall.exe" /S "_?=$folder"
left=$(cd "$installed" && find . -mindepth 1 ! -name Uninstall.exe)
[[ -z $left ]] || fail "left after uninstalling: $left"
[[ ! -e $shortcut && ! -e $menu ]] || fail "the Start menu entries are still there"
[[ ! -e $desktop ]] || fail "the desktop shortcut is still there"
for key in "$uninstall_key" "$classes\.prm" "$classes\Corvane.ParameterFile" \
    'HKLM\Software\Corvane developers'; do
    ! "${wine[@]}" reg query "$key" >/dev/null 2>&1 || fail "still there: $key"
done
path_after=$(user_path)
[[ $path_after != *CorvaneTest* && ! $path_after =~ REG_[A-Z_]*[[:space:]]*$ ]] ||
    fail "the user's PATH after uninstalling: '$path_after'"
rm -rf "$installed"
echo "installed and uninstalled"
