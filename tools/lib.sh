# Shared steps of tools/run and tools/test. Source it; it sets ROOT and BUILD.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
PACKAGES="cmake ninja-build g++ g++-mingw-w64-x86-64-posix wine wine64 xvfb xserver-xephyr xauth imagemagick
  x11-utils fonts-ipafont-gothic fonts-wine openbox googletest libgtest-dev libbenchmark-dev locales e2fsprogs
  libimage-exiftool-perl giflib-tools x11-xserver-utils liblcms2-dev liblcms2-utils colord-data icc-profiles-free libgs-common"

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

# Configures the preset and builds only the named targets (and what they need).
build_targets() {
  local preset=$1
  shift
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target "$@"
}

# A private Wine prefix inside the build folder, whose UI fonts map to Japanese fonts.
# tools/test and tools/bench each set a prefix of their own before preparing it.
export WINEDEBUG=-all
export WINEPREFIX="$BUILD/wineprefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
# The screen the tests expect.
SCREEN_SIZE=1024x768
# A prefix prepared by an earlier version of these tools (with its font names garbled) has an
# older marker and is prepared again.
READY_MARKER=.glimmer-ready-3

# Wine's UI faces and the faces the program asks for by name, each mapped to a font of
# fonts-ipafont-gothic with Japanese glyphs: proportional faces to IPAPGothic, fixed-width
# ones to IPAGothic. Tahoma, "MS Shell Dlg" and "MS Shell Dlg 2" are the faces of Wine's own
# captions, message boxes and dialogs (the file picker), whose sizes follow the face's Latin
# letters: with IPAGothic the picker comes out narrower and cuts or wraps its labels; with
# IPAPGothic all of them fit but the last character of "ファイルの場所".
FONT_REPLACEMENTS=(
  "Tahoma=IPAPGothic"
  "MS Shell Dlg=IPAPGothic"
  "MS Shell Dlg 2=IPAPGothic"
  "MS UI Gothic=IPAPGothic"
  "ＭＳ Ｐゴシック=IPAPGothic"
  "ＭＳ ゴシック=IPAGothic"
)
FONT_KEY='Software\Wine\Fonts\Replacements'
WINE_MARLETT=/usr/share/wine/fonts/marlett.ttf
EXPLORER_KEY='Software\Wine\Explorer'

# Prints the string value NAME of KEY (under HKEY_CURRENT_USER, e.g. Software\Wine\Fonts)
# as Wine last saved it in $WINEPREFIX/user.reg, decoded to UTF-8; fails when it is not
# there. Wine writes text other than ASCII as \x escapes of UTF-16 units, with four hex
# digits when a hex digit follows (\x30b4, \x0030), a character beyond them as its two
# surrogates, and control characters as C or octal escapes; key and value names are escaped
# the same way and compared without case, as the registry does.
registry_value() {
  perl -CSA -e '
    no warnings "surrogate";
    my ($file, $key, $name) = @ARGV;
    my %c = (a => "\a", b => "\b", t => "\t", n => "\n", v => "\x0b", f => "\f", r => "\r", e => "\e");
    sub unescape {
      my $s = shift;
      $s =~ s/\\(?:x([0-9a-fA-F]{1,4})|([0-7]{1,3})|(.))/
        defined $1 ? chr(hex $1) : defined $2 ? chr(oct $2) : exists $c{$3} ? $c{$3} : $3/ge;
      $s =~ s/([\x{D800}-\x{DBFF}])([\x{DC00}-\x{DFFF}])/
        chr(0x10000 + ((ord($1) - 0xD800) << 10) + ord($2) - 0xDC00)/ge;
      return $s;
    }
    open(my $f, "<:raw", $file) or exit 2;
    my $in = 0;
    while (my $line = <$f>) {
      $line =~ s/\r?\n\z//;
      if ($line =~ /^\[((?:[^\]\\]|\\.)*)\]/) { $in = lc(unescape($1)) eq lc($key); next; }
      next unless $in;
      if ($line =~ /^"((?:[^"\\]|\\.)*)"="((?:[^"\\]|\\.)*)"$/ && lc(unescape($1)) eq lc($name)) {
        print unescape($2), "\n";
        exit 0;
      }
    }
    exit 1;
  ' "$WINEPREFIX/user.reg" "$1" "$2"
}

# The prefix's settings, in the form "Windows Registry Editor Version 5.00" wants: UTF-16LE
# with a byte-order mark and CR LF lines. (A REGEDIT4 file is read in the ANSI code page,
# which garbles names such as "ＭＳ Ｐゴシック" written in UTF-8.)
write_prefix_reg() {
  local file=$1 pair
  {
    # The key is made anew: an earlier import left garbled names in it.
    printf 'Windows Registry Editor Version 5.00\n\n[-HKEY_CURRENT_USER\\%s]\n\n' "$FONT_KEY"
    printf '[HKEY_CURRENT_USER\\%s]\n' "$FONT_KEY"
    for pair in "${FONT_REPLACEMENTS[@]}"; do printf '"%s"="%s"\n' "${pair%%=*}" "${pair#*=}"; done
    # No virtual desktop: headless runs have a window manager (start_xvfb).
    printf '\n[HKEY_CURRENT_USER\\%s]\n"Desktop"=-\n' "$EXPLORER_KEY"
  } | sed 's/$/\r/' | { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE; } > "$file"
}

# Fails, naming each value, unless the prefix holds the font names and the desktop exactly.
check_prefix_registry() {
  local pair got wrong=0
  for pair in "${FONT_REPLACEMENTS[@]}"; do
    got=$(registry_value "$FONT_KEY" "${pair%%=*}") || got="(missing)"
    if [ "$got" != "${pair#*=}" ]; then
      say "font replacement \"${pair%%=*}\" is \"$got\", not \"${pair#*=}\""
      wrong=1
    fi
  done
  if got=$(registry_value "$EXPLORER_KEY" Desktop); then
    say "the prefix still names a virtual desktop: \"$got\""
    wrong=1
  fi
  return $wrong
}

prepare_wine_prefix() {
  [ -f "$WINEPREFIX/$READY_MARKER" ] && return 0
  say "preparing the Wine prefix $WINEPREFIX (once)"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
  # Wine as packaged here does not load the fonts of its own data folder, so caption
  # buttons, drawn with Marlett's symbols, would show plain letters ("r" for the close box).
  # Only Marlett is copied: a real Tahoma would stop Tahoma's replacement below.
  if [ -f "$WINE_MARLETT" ]; then
    cp "$WINE_MARLETT" "$WINEPREFIX/drive_c/windows/Fonts/"
  else
    say "warning: no $WINE_MARLETT (fonts-wine): caption buttons will show letters"
  fi
  write_prefix_reg "$WINEPREFIX/glimmer-prefix.reg"
  wine regedit "$WINEPREFIX/glimmer-prefix.reg" >/dev/null 2>&1 || true
  # The server writes user.reg when it ends.
  wineserver -w || true
  if ! check_prefix_registry; then
    say "FAILED: the Wine prefix $WINEPREFIX did not take $WINEPREFIX/glimmer-prefix.reg as written"
    exit 1
  fi
  touch "$WINEPREFIX/$READY_MARKER"
}

settings_file() { echo "$WINEPREFIX/drive_c/windows/O_GLMK.INI"; }

# Where the program keeps its settings once the Windows folder refused them: VirtualStore in
# the prefix's user folder, which Wine names in the registry (C:\users\<name>\AppData\Local).
virtual_store_settings_file() {
  local local_app_data
  local_app_data=$(registry_value 'Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' \
    'Local AppData') || local_app_data="C:\\users\\$(id -un)\\AppData\\Local"
  case "$local_app_data" in
    [Cc]:\\*) ;;
    *) local_app_data="C:\\users\\$(id -un)\\AppData\\Local" ;;
  esac
  local rest=${local_app_data:3}
  echo "$WINEPREFIX/drive_c/${rest//\\//}/VirtualStore/Windows/O_GLMK.INI"
}

# The demo's settings in the Windows folder's file, CRLF lines as the profile functions
# write them; a VirtualStore copy would be read before it, so it goes.
write_demo_settings() {
  rm -f "$(virtual_store_settings_file)"
  printf '[Orvella_Glimmerdeck]\r\nFolder=%s\r\nSpeed=%s\r\nMouseM=15\r\nCheckM=1\r\nCyuuou=%s\r\nOderFileName=0\r\nBgmPlay=0\r\nBgmPlayName=\r\nKakudai=1\r\nRefresh=0\r\nBiliner=0\r\nSubFolder=0\r\nShaffle=1\r\nMulti=0\r\n' \
    'C:\GlimmerDemo' 3000 0 > "$(settings_file)"
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

# Starts the X server "$@" (Xvfb, Xephyr) on a display it finds free itself: with
# -displayfd it writes the display's number to that descriptor once it accepts clients (on
# a fixed display held by another server, it would fail and a readiness check would pass
# against the other server). Sets X_PID and X_DISPLAY.
launch_x_server() {
  local number_file number=""
  number_file=$(mktemp)
  "$@" -displayfd 3 3>"$number_file" >/dev/null 2>&1 &
  X_PID=$!
  for _ in $(seq 100); do
    number=$(sed -n 's/^\([0-9][0-9]*\)$/\1/p' "$number_file")
    [ -n "$number" ] && break
    kill -0 "$X_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$number_file"
  if [ -z "$number" ]; then
    say "FAILED: $1 did not start"
    return 1
  fi
  X_DISPLAY=":$number"
}

# An Xvfb of its own on a display it finds free, and a window manager on it.
#
# The window manager: without one, Wine's X11 driver waits 2 s for every hide of a
# top-level window (wait_for_withdrawn_state) and no window has a caption. Openbox keeps
# topmost, foreground and focus as the tests expect of Windows and draws every caption.
# Wine's virtual desktop would do the same, but there the desktop's own process turns the
# pointer crossings that each SetCursorPos of a test causes into mouse input, and when it
# handles them late the cursor jumps back to where a test had moved it before: a saver
# then counted movements no test made (7 runs in 10 of the mouse-sensitivity test while
# another Wine program ran on the machine, none under openbox).
start_xvfb() {
  launch_x_server Xvfb -screen 0 "${SCREEN_SIZE}x24" -nolisten tcp || return 1
  XVFB_PID=$X_PID
  export DISPLAY=$X_DISPLAY
  openbox --sm-disable >/dev/null 2>&1 &
  WM_PID=$!
  # A window manager announces itself with _NET_SUPPORTING_WM_CHECK on the root window.
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    kill -0 "$WM_PID" 2>/dev/null || break
    sleep 0.1
  done
  if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    say "FAILED: the window manager (openbox) did not start on $DISPLAY"
    return 1
  fi
  say "Xvfb on $DISPLAY, with openbox"
}

stop_xvfb() {
  wineserver -k 2>/dev/null || true
  local pid
  for pid in ${WM_PID:-} ${XVFB_PID:-}; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}
