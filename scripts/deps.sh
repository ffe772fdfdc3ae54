#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are not installed yet.
# Sourced by the other scripts; a second call costs one dpkg query.
set -euo pipefail

varnel_install_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$pkg")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "Installing: ${missing[*]}" >&2
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

VARNEL_BUILD_PACKAGES=(cmake ninja-build g++ libgtest-dev
  qt6-base-dev qt6-webengine-dev libqscintilla2-qt6-dev libqt6svg6 libgl-dev breeze-icon-theme)
VARNEL_TEST_PACKAGES=(libxml2-utils w3c-sgml-lib clang libclang-rt-14-dev xvfb xauth xclip)
