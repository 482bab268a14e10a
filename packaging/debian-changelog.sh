#!/bin/sh
# Writes the released sections of CHANGELOG.md as a Debian changelog, the form dpkg's tools and
# lintian read from /usr/share/doc/PACKAGE/changelog.gz. The Unreleased section is left out:
# a package is built from a release.
# Usage: debian-changelog.sh CHANGELOG.md PACKAGE MAINTAINER >changelog
set -eu
[ $# -eq 3 ] || { echo "usage: $0 CHANGELOG.md PACKAGE MAINTAINER" >&2; exit 64; }

LC_ALL=C awk -v package="$2" -v maintainer="$3" '
function flush_item() {
    if (item == "") return
    gsub(/`/, "", item)
    wrap("    - ", "      ", item)
    item = ""
}
function close_entry() {
    flush_item()
    if (date == "") return
    command = "date -u -R -d " date
    command | getline stamp
    close(command)
    printf "\n -- %s  %s\n", maintainer, stamp
    date = ""
}
# Prints text in lines of at most 78 columns, the first after lead, the others after indent.
function wrap(lead, indent, text,    words, n, i, line) {
    n = split(text, words, / +/)
    line = lead
    for (i = 1; i <= n; i++) {
        if (words[i] == "") continue
        if (line != lead && line != indent && length(line) + 1 + length(words[i]) > 78) {
            print line
            line = indent
        }
        line = line ((line == lead || line == indent) ? "" : " ") words[i]
    }
    print line
}
/^## \[/ {
    close_entry()
    version = $2
    gsub(/[][]/, "", version)
    if (version == "Unreleased" || $4 == "") { skipping = 1; next }
    skipping = 0
    date = $4
    if (entries++) print ""
    printf "%s (%s) unstable; urgency=medium\n\n", package, version
    next
}
skipping || date == "" { next }
/^### / { flush_item(); printf "  * %s:\n", substr($0, 5); next }
/^- / { flush_item(); item = substr($0, 3); next }
/^  +[^ ]/ && item != "" { sub(/^ +/, ""); item = item " " $0; next }
END {
    close_entry()
    if (entries == 0) { print "no released section in the changelog" > "/dev/stderr"; exit 1 }
}
' "$1"
