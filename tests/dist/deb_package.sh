#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package from a build folder, checks it with lintian,
# installs it with apt, starts the installed program the way its launcher
# does, and removes the package again. Exit 77: skipped.
# Usage: deb_package.sh CPACK BUILD_DIR INSTALL_PREFIX VERSION PRODUCT_NAME APP_ID
set -euo pipefail
cpack=$1 build=$2 prefix=$3 version=$4 product=$5 app_id=$6

if [ "$(id -u)" -ne 0 ]; then
    echo "Skipped: installing a package needs root."
    exit 77
fi
if [ "$prefix" != /usr ]; then
    echo "Skipped: this build installs under $prefix; the package needs one configured with" \
         "-DCMAKE_INSTALL_PREFIX=/usr (scripts/build.sh does that)."
    exit 77
fi
if dpkg-query -W -f='${Status}' ombryquote 2>/dev/null | grep -q "install ok installed"; then
    echo "FAIL: ombryquote is installed already and this test would remove it; remove it first."
    exit 1
fi

work=$(mktemp -d)
installed=0
cleanup() {
    if ((installed)); then
        DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq -o DPkg::Lock::Timeout=300 ombryquote >/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

echo "== cpack"
(cd "$build" && "$cpack" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/ombryquote_*.deb)
dpkg-deb --field "$deb"

echo "== lintian"
lintian --fail-on error --display-info --tag-display-limit 0 "$deb" | tee "$work/lintian.log" \
    || fail "lintian reports errors"
# The program is hardened as Debian builds its own (PIE, RELRO, immediate binding, fortified calls).
! grep -q "hardening-" "$work/lintian.log" || fail "lintian finds the program not hardened"

echo "== apt-get install"
installed=1
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=300 "$deb" >"$work/apt.log" 2>&1 \
    || { cat "$work/apt.log"; fail "apt-get install"; }
for f in /usr/bin/ombryquote /usr/share/ombryquote/OMBRYQuote.hlp /usr/share/ombryquote/Quote.txt \
         /usr/share/applications/$app_id.desktop /usr/share/metainfo/$app_id.metainfo.xml \
         /usr/share/icons/hicolor/scalable/apps/$app_id.svg /usr/share/icons/hicolor/48x48/apps/$app_id.png; do
    [ -f "$f" ] || fail "$f is not installed"
done
grep -qx "Path=/usr/share/ombryquote" /usr/share/applications/$app_id.desktop || fail "the entry's Path"

echo "== the installed program"
# The version block must survive the stripping of the packaged program.
got=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/ombryquote --version)
[ "$got" = "$product $version" ] || fail "--version printed '$got'"

# Started as the launcher starts it: in its data folder, with a fresh profile
# that closes the window after one second.
profile="$work/home"
mkdir -p "$profile/config/ombryquote"
printf '[quotefile]\nExitCountdown=1\n' >"$profile/config/ombryquote/ombryquote.ini"
status=0
(cd /usr/share/ombryquote && HOME="$profile" XDG_CONFIG_HOME="$profile/config" XDG_DATA_HOME="$profile/data" \
    QT_QPA_PLATFORM=offscreen timeout 60 /usr/bin/ombryquote) || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
grep -qx "filename=Quote.txt" "$profile/config/ombryquote/ombryquote.ini" \
    || { cat "$profile/config/ombryquote/ombryquote.ini"; fail "the settings do not name Quote.txt"; }

echo "== apt-get purge"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq -o DPkg::Lock::Timeout=300 ombryquote >/dev/null
installed=0
[ ! -e /usr/bin/ombryquote ] || fail "/usr/bin/ombryquote is left after removal"
echo "The package builds, installs, runs and removes cleanly."
