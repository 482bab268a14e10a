#!/usr/bin/env bash
# Fails when PROGRAM --help lists an option that its manual page source does not mention.
# Usage: man-page-covers-help.sh PROGRAM PAGE.scd
set -euo pipefail
source "$(dirname "$0")/help-options.sh"
options=$(help_options "$1")
if [[ -z $options ]]; then
    echo "no options found in $1 --help" >&2
    exit 1
fi
missing=0
while read -r option; do
    # The option as a word of its own: -f must not be found inside --family.
    if ! grep -qE -- "(^|[^-[:alnum:]])${option}([^-[:alnum:]]|$)" "$2"; then
        echo "$2 does not document $option" >&2
        missing=1
    fi
done <<<"$options"
exit $missing
