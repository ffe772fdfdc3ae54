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

VARNEL_BUILD_PACKAGES=(cmake ninja-build g++ libgtest-dev)
VARNEL_TEST_PACKAGES=(libxml2-utils w3c-sgml-lib clang libclang-rt-14-dev)
