# Prints the options that PROGRAM --help lists, one per line: the names that open an option's
# line, in CLI11's form ("-f,--family CODE", "--echo,--no-echo{false}") or Qt's ("-h, --help").
help_options() {
    "$1" --help | awk '
        /^ +-/ {
            for (i = 1; i <= NF && $i ~ /^-/; i++) {
                n = split($i, names, ",")
                for (j = 1; j <= n; j++) {
                    sub(/[{=].*/, "", names[j])
                    if (names[j] ~ /^--?[A-Za-z]/) print names[j]
                }
            }
        }' | sort -u
}
