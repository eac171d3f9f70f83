#!/usr/bin/env bash
# Installs, only when missing, every Debian package that the build, the tests,
# the benchmarks and the reference-table scripts need. PACKAGES is the one
# list: scripts/check-deps.sh (run by `make test`) fails when the build or
# the tests use a package that it does not bring in.
set -euo pipefail

PACKAGES=(
  build-essential cmake make pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core fonts-liberation xvfb poppler-utils
  xdotool xclip x11-utils
  adwaita-icon-theme xdg-utils
  libcurl4-openssl-dev python3-aiosmtpd
  r-base-core r-cran-epir r-cran-nortest r-cran-robustbase
  python3-numpy python3-scipy python3-statsmodels
)

# `install-deps.sh --list` prints the list, for scripts/check-deps.sh.
if [ "${1:-}" = "--list" ]; then
  printf '%s\n' "${PACKAGES[@]}"
  exit 0
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
