#!/usr/bin/env bash
# Installs everything a fresh Debian 12 machine needs to build, run and test ZunoCam.
# Idempotent: does nothing when every package is present and node_modules matches the lock file.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    # build
    cmake ninja-build ccache g++ pkg-config git
    # Qt 6
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqt6svg6 libqt6svgwidgets6 qt6-qpa-plugins
    qt6-image-formats-plugins
    # image, vision, inference
    libopencv-core-dev libopencv-imgproc-dev libopencv-objdetect-dev libopencv-video-dev opencv-data
    libxnnpack-dev libpthreadpool-dev
    libtesseract-dev libleptonica-dev tesseract-ocr tesseract-ocr-eng tesseract-ocr-tur
    # camera and recording
    libavcodec-dev libavformat-dev libavdevice-dev libavutil-dev libswscale-dev libx264-dev ffmpeg
    # platform services
    nlohmann-json3-dev libasio-dev libcurl4-openssl-dev libssl-dev ca-certificates libsecret-1-dev libpulse-dev libsystemd-dev
    libglib2.0-dev libicu-dev
    libxcb1-dev libxcb-keysyms1-dev libx11-dev libx11-xcb-dev
    # tests
    libgtest-dev libgmock-dev xvfb xauth x11-utils dbus dbus-x11 pulseaudio espeak-ng sox imagemagick
    gnome-keyring libxcb-xtest0-dev chromium
    locales tzdata
    # fonts
    fonts-inter fonts-jetbrains-mono fonts-dejavu-core fonts-noto-color-emoji fonts-quicksand
    # the scripts of the language picker's native names: Chinese, Japanese and Korean; Hindi; Thai
    # (DejaVu Sans draws Arabic, Persian, Hebrew, Greek and Cyrillic)
    fonts-wqy-microhei fonts-lohit-deva fonts-tlwg-loma
)

as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
command -v npm >/dev/null || missing+=(nodejs npm)
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    as_root apt-get update -qq
    as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# A decimal-comma locale, so tests can prove number formatting ignores the process locale.
if ! locale -a 2>/dev/null | grep -qi '^tr_TR\.utf8$'; then
    as_root sed -i 's/^# *tr_TR.UTF-8 UTF-8/tr_TR.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^tr_TR.UTF-8 UTF-8' /etc/locale.gen || echo 'tr_TR.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen >/dev/null
fi

# Pinned npm data packages (models, icon set, test tools).
stamp=node_modules/.package-lock.json
if [ ! -f "$stamp" ] || [ package-lock.json -nt "$stamp" ]; then
    echo "setup: npm ci"
    npm ci --no-audit --no-fund --loglevel=error
fi
