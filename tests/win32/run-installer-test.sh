#!/usr/bin/env bash
# Makes the Windows installer from the build, then under Wine installs it silently, runs the
# installed command, uninstalls silently and checks that the programs, the Start menu's entry and
# the uninstall entry are gone.
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

# NSIS reads /D only unquoted, and Wine quotes an argument with a space.
folder='C:\CorvaneTest'
installed="$prefix/drive_c/CorvaneTest"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane'
rm -rf "$installed"
"${wine[@]}" "$installer" /S "/D=$folder"
for program in Corvane.exe corvane-update.exe; do
    [[ -f $installed/bin/$program ]] || fail "not installed: bin/$program"
done
version=$("${wine[@]}" "$installed/bin/corvane-update.exe" --version | tr -d '\r')
[[ $version == "corvane-update "* ]] || fail "the installed command says: $version"
echo "installed: $version"
# The window keeps the command's conventions: -V prints the version, a usage error exits 64.
window_version=$("${wine[@]}" "$installed/bin/Corvane.exe" -V | tr -d '\r')
[[ $window_version == "Corvane "* ]] || fail "the installed window says: $window_version"
status=0
"${wine[@]}" "$installed/bin/Corvane.exe" --bogus 2>/dev/null || status=$?
[[ $status == 64 ]] || fail "the installed window ends a usage error with $status, not 64"
shortcut=$(find "$prefix/drive_c" -path '*/Start Menu/Programs/Corvane/Corvane.lnk')
[[ -n $shortcut ]] || fail "no Start menu entry Corvane\\Corvane.lnk"
"${wine[@]}" reg query "$uninstall_key" >/dev/null || fail "no uninstall entry"
for environment in 'HKLM\System\CurrentControlSet\Control\Session Manager\Environment' \
    'HKCU\Environment'; do
    ! "${wine[@]}" reg query "$environment" /v PATH 2>/dev/null | grep -qi CorvaneTest ||
        fail "PATH was changed without being asked: $environment"
done

# The uninstaller copies itself elsewhere and returns at once, unless told to run in place
# (_?=), which leaves only itself behind.
"${wine[@]}" "$installed/Uninstall.exe" /S "_?=$folder"
left=$(cd "$installed" && find . -mindepth 1 ! -name Uninstall.exe)
[[ -z $left ]] || fail "left after uninstalling: $left"
[[ ! -e $shortcut && ! -e $(dirname "$shortcut") ]] || fail "the Start menu entry is still there"
! "${wine[@]}" reg query "$uninstall_key" >/dev/null 2>&1 || fail "the uninstall entry is still there"
rm -rf "$installed"
echo "installed and uninstalled"
