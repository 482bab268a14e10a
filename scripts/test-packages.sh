#!/usr/bin/env bash
# CI: builds the Debian packages of this tree and checks them with lintian (an error fails, the
# rest is printed), installs them, uses what they installed (versions, manuals, completion, whole
# updates from /usr/bin/corvane-update against /usr/bin/corvane-modemsim), purges them and checks
# that none of their files is left and that /etc was not touched. Needs root (or sudo) and a
# machine where neither package is installed.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(corvane corvane-modemsim)
sudo=""
if [[ $(id -u) -ne 0 ]]; then sudo="sudo"; fi
work=$(mktemp -d)
installed=0

cleanup() {
    if ((installed)); then
        $sudo dpkg --purge "${packages[@]}" >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "test-packages: $*" >&2
    exit 1
}

for package in "${packages[@]}"; do
    if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q ' installed$'; then
        fail "$package is installed already; remove it first, so that what is left can be told"
    fi
done

echo "=== build"
scripts/build-packages.sh release "$work/debs"
debs=("$work"/debs/*.deb)

echo "=== lintian"
status=0
lintian --fail-on error "${debs[@]}" >"$work/lintian" 2>&1 || status=$?
grep -v '^running with root privileges' "$work/lintian" || echo "(no tags)"
((status == 0)) || fail "lintian found errors"

echo "=== contents"
for deb in "${debs[@]}"; do
    contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' | grep -v '^/$')
    if grep -q '^/etc' <<<"$contents"; then
        fail "$(basename "$deb") installs into /etc"
    fi
    if dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -qvE '^\./(control|md5sums)?$'; then
        fail "$(basename "$deb") has control files beyond control and md5sums (conffiles, scripts)"
    fi
    # What the package brings that the system did not have: all of it must go on purge.
    while read -r path; do
        if [[ ! -e $path && ! -L $path ]]; then echo "$path"; fi
    done <<<"$contents" >>"$work/new-paths"
done
find /etc -printf '%p %y %s %T@\n' 2>/dev/null | sort >"$work/etc-before"

echo "=== install"
installed=1
$sudo dpkg -i "${debs[@]}"

echo "=== use"
version=$(dpkg-deb -f "${debs[0]}" Version)
for program in corvane-update corvane-modemsim Corvane; do
    said=$(QT_QPA_PLATFORM=offscreen "/usr/bin/$program" --version)
    echo "$program --version: $said"
    [[ $said == *" $version"* ]] || fail "$program --version does not name $version"
    page=$(man -w "$program")
    echo "man -w $program: $page"
    [[ $page == /usr/share/man/man1/$program.1.gz ]] || fail "man finds $page for $program"
done
completion=$(bash -c 'source /usr/share/bash-completion/bash_completion
                      _completion_loader corvane-update; complete -p corvane-update')
echo "bash-completion: $completion"
[[ $completion == *"-F _corvane_update corvane-update" ]] ||
    fail "bash-completion does not load the completion of corvane-update"
CORVANE_BIN=/usr/bin scripts/demo.sh

echo "=== purge"
$sudo dpkg --purge "${packages[@]}"
installed=0
left=0
while read -r path; do
    if [[ -e $path || -L $path ]]; then
        echo "left behind: $path" >&2
        left=1
    fi
done <"$work/new-paths"
((left == 0)) || fail "files of the packages are left after the purge"
find /etc -printf '%p %y %s %T@\n' 2>/dev/null | sort >"$work/etc-after"
if ! diff "$work/etc-before" "$work/etc-after"; then
    fail "/etc changed between installing and purging the packages"
fi
echo "test-packages: built, checked, installed, used and purged ${packages[*]} $version"
