# Shared steps of tools/run and tools/test. Source it; it sets ROOT and BUILD.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
PACKAGES="cmake ninja-build g++ g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth imagemagick x11-utils
  fonts-ipafont-gothic googletest libgtest-dev libbenchmark-dev locales e2fsprogs"

say() { printf '== %s\n' "$*" >&2; }

ensure_packages() {
  local missing=()
  for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    say "installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
  fi
}

# Users' systems run with the Japanese code page 932; Wine takes it from the locale.
ensure_japanese_locale() {
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    say "generating the ja_JP.UTF-8 locale"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null
  fi
}

build_preset() {
  local preset=$1
  shift
  cmake --preset "$preset" "$@" >/dev/null
  cmake --build --preset "$preset"
}

# A private Wine prefix inside the build folder, whose UI fonts map to a Japanese font.
export WINEDEBUG=-all
export WINEPREFIX="$BUILD/wineprefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
# The screen the tests expect.
SCREEN_SIZE=1024x768
prepare_wine_prefix() {
  if [ ! -f "$WINEPREFIX/.glimmer-ready-2" ]; then
    say "preparing the Wine prefix (once)"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
    cat > "$BUILD/fonts.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Tahoma"="IPAGothic"
"MS Shell Dlg"="IPAGothic"
"MS Shell Dlg 2"="IPAGothic"
"MS UI Gothic"="IPAPGothic"
"ＭＳ Ｐゴシック"="IPAPGothic"
"ＭＳ ゴシック"="IPAGothic"
REG
    wine regedit "$BUILD/fonts.reg" >/dev/null 2>&1 || true
    wineserver -w || true
    touch "$WINEPREFIX/.glimmer-ready-2"
  fi
}

settings_file() { echo "$WINEPREFIX/drive_c/windows/O_GLMK.INI"; }

# Writes CRLF lines, as the profile functions do.
write_settings() {
  local folder=$1
  printf '[Orvella_Glimmerdeck]\r\nFolder=%s\r\nSpeed=%s\r\nMouseM=15\r\nCheckM=1\r\nCyuuou=%s\r\nOderFileName=0\r\nBgmPlay=0\r\nBgmPlayName=\r\nKakudai=1\r\nRefresh=0\r\nBiliner=0\r\nSubFolder=0\r\nShaffle=1\r\nMulti=0\r\n' \
    "$folder" "${2:-3000}" "${3:-0}" > "$(settings_file)"
}

# Generated pictures for the demo: plain shapes and gradients in BMP, JPEG and GIF.
make_demo_pictures() {
  local dir="$WINEPREFIX/drive_c/GlimmerDemo"
  [ -f "$dir/.done" ] && return
  mkdir -p "$dir"
  convert -size 800x600 gradient:'#1e3c72'-'#2a5298' -fill '#f7c948' -draw 'circle 600,150 600,220' \
    -fill '#3c7d4f' -draw 'polygon 0,600 250,250 500,600' -fill '#2f6b42' -draw 'polygon 300,600 560,320 800,600' \
    "$dir/01_mountains.jpg"
  convert -size 640x480 radial-gradient:'#ffd89b'-'#19547b' "$dir/02_glow.bmp"
  convert -size 300x400 xc:'#f4f1e8' -fill '#c0392b' -draw 'circle 150,200 150,80' "$dir/03_sun.gif"
  convert -size 1600x900 plasma:fractal -blur 0x2 "$dir/04_plasma.jpg"
  convert -size 500x500 pattern:checkerboard -scale 500x500 "$dir/05_board.bmp"
  touch "$dir/.done"
}

# An Xvfb of its own on a display it finds free: Xvfb writes the display's number to the
# descriptor -displayfd names once it accepts clients. (On a fixed display held by another
# server, Xvfb would fail and a readiness check would pass against the other server.)
start_xvfb() {
  local number_file number=""
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${SCREEN_SIZE}x24" -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    number=$(sed -n 's/^\([0-9][0-9]*\)$/\1/p' "$number_file")
    [ -n "$number" ] && break
    kill -0 "$XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$number_file"
  if [ -z "$number" ]; then
    say "FAILED: Xvfb did not start"
    return 1
  fi
  export DISPLAY=":$number"
  say "Xvfb on $DISPLAY"
}

stop_xvfb() {
  wineserver -k 2>/dev/null || true
  if [ -n "${XVFB_PID:-}" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
  fi
}
