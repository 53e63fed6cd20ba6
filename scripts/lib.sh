# Shared by scripts/run, scripts/test and scripts/package: installs the Debian packages the project needs
# when any is missing, so that a fresh machine needs nothing by hand.

# What building and running the program need (SQLite for the typed outputs, ISA-L to deflate workbooks).
QVR_PACKAGES="g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev libicu-dev libsqlite3-dev libisal-dev
  fonts-liberation"
# What the tests add: GoogleTest, an independent dBase reader, reading printed PDF back, a virtual display,
# clang for the fuzz targets, dpkg-dev for the package's dependencies, GNU parallel for the README's
# pipeline, a window manager and xdotool to drive the window program through the display, Dask (with
# pandas for its data frames) for the helper in contrib/dask, lintian to check the package and xdg-utils to
# see that installing it changes no default, openpyxl to read the workbooks back, groff to set
# quarvel-batch's manual page as man does, csvkit and sqlite3 to read the layouts written for them,
# dbfread to read typed dBase tables back.
QVR_TEST_PACKAGES="libgtest-dev libgmock-dev libshp-dev poppler-utils xvfb xauth clang libclang-rt-14-dev
  dpkg-dev file parallel openbox xdotool python3-dask python3-distributed python3-pandas lintian xdg-utils
  python3-openpyxl groff-base python3-csvkit sqlite3 python3-dbfread"

qvr_install_packages() {
  local missing=()
  for p in $QVR_PACKAGES "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
