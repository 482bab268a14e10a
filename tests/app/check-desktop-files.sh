#!/usr/bin/env bash
# Installs the window's component into a scratch prefix and checks what desktops read of it with
# their own tools: the menu entry, the software-centre description against it, the parameter
# files' type as the MIME database compiles it, and the icons the entry names.
# Usage: check-desktop-files.sh BUILD_DIR
set -euo pipefail

build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" --component corvane >/dev/null
share=$prefix/share
entry=$share/applications/org.corvane.Corvane.desktop

desktop-file-validate "$entry"
appstreamcli validate-tree --no-net "$prefix"
xmllint --noout "$share"/mime/packages/org.corvane.Corvane.xml

# A key of the entry's main group, or of the group named second.
value() { sed -n "/^\[${2:-Desktop Entry}\]/,/^\[/s/^$1=//p" "$entry"; }
fail() {
    echo "$*" >&2
    exit 1
}

[[ $(value Exec) == "Corvane %f" ]] || fail "Exec does not pass the file: $(value Exec)"
[[ $(value Exec "Desktop Action Station") == "Corvane --station" ]] ||
    fail "the Station action does not open the station: $(value Exec "Desktop Action Station")"
[[ -x $prefix/bin/Corvane ]] || fail "no bin/Corvane beside the entry"

icon=$(value Icon)
for file in 32x32/apps/"$icon".png scalable/apps/"$icon".svg; do
    [[ -s $share/icons/hicolor/$file ]] || fail "the entry's icon is missing: hicolor/$file"
done
# The PNG is the 32 × 32 the folder promises: width and height from its header.
[[ $(od -An -tx1 -j16 -N8 "$share/icons/hicolor/32x32/apps/$icon.png" | tr -d ' \n') == \
    0000002000000020 ]] || fail "hicolor/32x32/apps/$icon.png is not 32 × 32"
xmllint --noout "$share/icons/hicolor/scalable/apps/$icon.svg"

# A .prm file is of the type the entry says it opens, once the database has been compiled.
XDG_DATA_DIRS=$share update-mime-database "$share/mime"
type=$(value MimeType)
grep -qx "50:${type%;}:\*\.prm" "$share/mime/globs2" ||
    fail "*.prm is not ${type%;} in the compiled database: $(grep prm "$share/mime/globs2")"
echo "desktop files valid"
