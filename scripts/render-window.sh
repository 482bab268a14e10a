#!/usr/bin/env bash
# Renders the operator's window, as it opens, to a PNG without a display (Qt's offscreen platform).
# Usage: scripts/render-window.sh [output.png] [build directory]
#   defaults: resources/window.png, build (configured and built with the default preset if needed)
# or:    scripts/render-window.sh --win32 [output.png] [build directory]
#   the Win32 window under Wine on a virtual display (Xvfb); defaults: resources/window-win32.png,
#   build-windows (built with the windows preset if needed)
# or:    scripts/render-window.sh --station [output.png] [build directory] [WIDTHxHEIGHT]
#   the station while it updates eight virtual modules; defaults: resources/station.png, build
# or:    scripts/render-window.sh --station --win32 [output.png] [build directory]
#   the Win32 station while it updates eight virtual modules; default resources/station-win32.png
set -euo pipefail
cd "$(dirname "$0")/.."

# Wine on a display of its own (Xvfb), in the build's render prefix; drawn frames and captions.
start_wine_display() {
    local build=$1 display=90
    if [[ ! -e "$build/bin/Corvane.exe" ]]; then
        scripts/install-deps.sh
        cmake --preset windows >/dev/null
        cmake --build "$build" --target Corvane
    fi
    export WINEPREFIX=$PWD/$build/wineprefix-render WINEDEBUG=-all
    # A prefix made on a display would wait there for someone to install Mono and Gecko.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    while [[ -e /tmp/.X11-unix/X$display || -e /tmp/.X$display-lock ]]; do
        display=$((display + 1))
    done
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=:$display
    for ((i = 0; i < 100; ++i)); do
        [[ -e /tmp/.X11-unix/X$display ]] && break
        sleep 0.05
    done
    # Wine's first program, on the display: the desktop it starts serves every later one.
    # Without a window manager Wine draws the caption and frame itself only when told to.
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
}

# The X window whose name begins so, once it is there.
wait_for_window() {
    local window=""
    for ((i = 0; i < 300; ++i)); do
        window=$(xdotool search --onlyvisible --name "^$1" 2>/dev/null | head -n 1) && [[ -n $window ]] && break
        sleep 0.1
    done
    [[ -n $window ]] || { echo "the window '$1' did not appear" >&2; return 1; }
    echo "$window"
}

render_win32() {
    local output=$1 build=$2 window
    trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; kill "$xvfb_pid" 2>/dev/null || true' EXIT
    start_wine_display "$build"
    # A registry that names a port, so that the window opens without its registry warning.
    printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\Multiplexer]\n"ParentPort"="COM5:"\n\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\RIL]\n"BaudRate"=dword:0001c200\n' \
        >"$build/render-registry.reg"
    /usr/lib/wine/wine64 "$build/bin/Corvane.exe" --registry "$build/render-registry.reg" \
        >/dev/null 2>&1 &
    window=$(wait_for_window 'VARNEL WM Update')
    # Lets the controls finish drawing.
    sleep 1
    import -window "$window" "$output"
}

# The station while a line of eight virtual modules runs: two quick ones written, one failing
# at its first block, the others answering block commands slowly enough to be caught writing.
render_station() {
    local output=$1 build=$2 window number ports=() simulator=build/bin/corvane-modemsim
    if [[ ! -x $simulator ]]; then
        cmake --preset default >/dev/null
        cmake --build build --target corvane-modemsim
    fi
    start_wine_display "$build"
    # shellcheck source=tests/win32/wine-com-ports.sh
    source tests/win32/wine-com-ports.sh
    trap 'finish; kill "$xvfb_pid" 2>/dev/null || true' EXIT
    for number in {10..17}; do
        case $number in
            10 | 11) start_module "COM$number" "$simulator" ;;
            12) start_module "COM$number" "$simulator" --block-error ;;
            *) start_module "COM$number" "$simulator" --answer-to "AT^QBNW" \
                --answer-delay $((400 * (number - 12))) ;;
        esac
        ports+=(-p "COM$number")
    done
    map_com_ports
    "$WINE" "$build/bin/Corvane.exe" --station "${ports[@]}" --record "$scratch/record.jsonl" \
        samples/k31-audio.prm >/dev/null 2>&1 &
    window=$(wait_for_window 'Corvane station')
    # "Start all" by its key, as an operator would press it.
    xdotool windowfocus --sync "$window" key --clearmodifiers alt+s
    sleep "${RENDER_AFTER:-3}"
    import -window "$window" "$output"
}

if [[ ${1:-} == --station && ${2:-} == --win32 ]]; then
    render_station "${3:-resources/station-win32.png}" "${4:-build-windows}"
    echo "${3:-resources/station-win32.png}"
    exit
fi
if [[ ${1:-} == --win32 ]]; then
    render_win32 "${2:-resources/window-win32.png}" "${3:-build-windows}"
    echo "${2:-resources/window-win32.png}"
    exit
fi

if [[ ${1:-} == --station ]]; then
    output="${2:-resources/station.png}"
    build="${3:-build}"
    [[ -x "$build/bin/station-picture" ]] || cmake --build "$build" --target station-picture
    QT_QPA_PLATFORM=offscreen "$build/bin/station-picture" "$output" ${4:+"$4"}
    echo "$output"
    exit
fi

output="${1:-resources/window.png}"
build="${2:-build}"

if [[ ! -x "$build/bin/Corvane" ]]; then
    scripts/install-deps.sh
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" --target Corvane
fi
# The sample registry names a port, so the window opens without its registry warning.
QT_QPA_PLATFORM=offscreen "$build/bin/Corvane" --registry samples/registry.reg \
    --screenshot "$output"
echo "$output"
