#!/usr/bin/env bash
# Writes the invented K47 sample (samples/k47-audio.prm unless a path is given): four records,
# each a big-endian 16-bit length that counts its own two bytes, followed by its body.
set -euo pipefail
out="${1:-$(dirname "$0")/../samples/k47-audio.prm}"

# Prints one record whose body is given as hex digits, two per byte.
record() {
    local body=$1
    local length=$((${#body} / 2 + 2))
    printf "$(printf '\\x%02x\\x%02x' $((length >> 8)) $((length & 255)))"
    printf "$(sed 's/../\\x&/g' <<<"$body")"
}

# Bytes from a formula of their index i, as hex digits.
pattern() {
    local count=$1 formula=$2 i
    for ((i = 0; i < count; i++)); do printf '%02x' $(((formula) & 255)); done
}

{
    record "4b3437415544020200"                # "K47AUD", version 2.2.0
    record "$(pattern 64 'i * 4')"             # gain steps
    record "$(pattern 300 'i * 37 + 11')"      # filter coefficients
    record "c0ffee01"                          # closing mark
} >"$out"
