#!/usr/bin/env bash
# Installs everything Morvane Office needs to build, test and run on Debian 12.
# Safe to run more than once.
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends \
    build-essential cmake ninja-build pkg-config \
    qt6-base-dev qt6-charts-dev qt6-svg-dev libqt6svg6 libqt6opengl6-dev qt6-qpa-plugins \
    libgl-dev libxkbcommon-dev libvulkan-dev \
    libpugixml-dev libzip-dev zlib1g-dev libbenchmark-dev \
    fonts-noto-cjk locales xvfb xauth \
    python3 python3-openpyxl python3-xlsxwriter gnumeric \
    qt6-image-formats-plugins qt6-translations-l10n libxml2-utils poppler-utils \
    pandoc python3-docx libreoffice-writer-nogui libreoffice-impress-nogui libreoffice-calc-nogui \
    antiword catdoc wv unrtf libwpd-tools libgsf-bin
# A decimal-comma locale lets the tests prove number text ignores the process locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf8$'; then
    $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    $SUDO locale-gen >/dev/null
fi
