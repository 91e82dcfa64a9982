#!/usr/bin/env bash
# Installs what Elvarine needs to build, run and test on Debian 12 (only what is missing).
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite qt6-serialport-dev qt6-translations-l10n
  libqt6svg6
  # Synchronisation: the keyring (Secret Service) for the password, and the CardDAV server the
  # tests run against (radicale, xandikos).
  qtkeychain-qt6-dev radicale xandikos openssl
  libcups2-dev cups-daemon cups-client
  xvfb xauth xdotool xclip libxcb1-dev sqlite3 libsqlite3-dev poppler-utils fonts-dejavu-core
  # A session bus with the accessibility bus, for the tests that listen to what a screen reader
  # is told (scripts/a11y-session.sh).
  dbus at-spi2-core
  # Desktops have these faces (CUPS's filters bring them): the printing tests run with them.
  fonts-urw-base35
  # The fuzz targets (scripts/fuzz.sh): clang and its libFuzzer and sanitizer runtimes.
  clang libclang-rt-dev
  python3-vobject
  # Opening mail, web and tel: addresses (xdg-open), and the desktop's file types (xdg-mime,
  # which asks mimetype).
  xdg-utils libfile-mimeinfo-perl
  # The install's checks: the desktop's validators and type database, the manual page; the
  # Debian package and its checker.
  desktop-file-utils appstream shared-mime-info man-db dpkg-dev lintian
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
