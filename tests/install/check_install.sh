#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and builds the Debian package from it,
# then checks what a user gets: the file list of both, a desktop entry the desktop
# tools accept that opens CSV files, AppStream metainfo, icons of the size their
# folder names (and a scalable one), manual pages with the options and version,
# binaries that run from the install tree without a display, dependencies computed
# from the binaries (no test library), and a package lintian passes.
#
#   check_install.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check_install: $*" >&2; exit 1; }

expected="./usr/bin/trandor
./usr/bin/trandor-export
./usr/share/applications/trandor.desktop
./usr/share/metainfo/org.trandor.trandor.metainfo.xml
./usr/share/icons/hicolor/scalable/apps/trandor.svg
./usr/share/doc/trandor/copyright
./usr/share/doc/trandor/changelog.gz"
for size in 16 24 32 48 64 128 256; do
  expected+=$'\n'"./usr/share/icons/hicolor/${size}x${size}/apps/trandor.png"
done
expected+=$'\n'"./usr/share/man/man1/trandor.1.gz"
expected+=$'\n'"./usr/share/man/man1/trandor-export.1.gz"
expected=$(sort <<<"$expected")

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
root="$work/root"
diff -u <(echo "$expected") <(cd "$root" && find . ! -type d | sort) || fail "install tree differs"

desktop="$root/usr/share/applications/trandor.desktop"
desktop-file-validate "$desktop" || fail "desktop entry rejected"
# "Open with" hands the file over through the field code.
grep -qx 'Exec=trandor %f' "$desktop" || fail "desktop entry: Exec is not 'trandor %f'"
grep -qx 'MimeType=.*text/csv;.*' "$desktop" || fail "desktop entry: no text/csv in MimeType"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.trandor.trandor.metainfo.xml" >/dev/null \
  || fail "metainfo rejected by appstreamcli"
grep -q '<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">' \
  "$root/usr/share/icons/hicolor/scalable/apps/trandor.svg" || fail "scalable icon is not a 64-unit SVG"

# A PNG's width and height are the big-endian words at bytes 16 and 20.
for size in 16 24 32 48 64 128 256; do
  icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/trandor.png"
  read -r w0 w1 w2 w3 h0 h1 h2 h3 < <(od -An -tu1 -j16 -N8 "$icon")
  w=$(((w0 << 24) | (w1 << 16) | (w2 << 8) | w3))
  h=$(((h0 << 24) | (h1 << 16) | (h2 << 8) | h3))
  [[ $w == "$size" && $h == "$size" ]] || fail "icon ${size}x${size} is ${w}x${h}"
done

# manual_page NAME OPTION...: the page's header names the version, and it lists the options.
manual_page() {
  local name=$1 page
  shift
  page=$(gzip -dc "$root/usr/share/man/man1/$name.1.gz")
  grep -q "^\.TH ${name^^} \"1\" .*\"$name $version\"" <<<"$page" || fail "$name manual page header"
  for option in "$@"; do
    grep -q -- "${option//-/\\\\-}" <<<"$page" || fail "$name manual page lacks $option"
  done
}
manual_page trandor-export --info --png --pdf --query --cursor --scale --version
manual_page trandor --help --version

# The installed binaries run on their own, away from the build tree; the program's
# --help and --version need no display.
[[ $("$root/usr/bin/trandor-export" --version) == "trandor-export $version" ]] || fail "trandor-export --version"
[[ $(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/trandor" --version) == "trandor $version" ]] \
  || fail "trandor --version"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/trandor" --help | grep -q '^Usage: trandor \[FILE\]' \
  || fail "trandor --help"
printf 'Time,CH01\n2024/05/06 08:00:00,1.5\n2024/05/06 08:00:30,2.5\n' >"$work/day.csv"
HOME="$work/home" QT_QPA_PLATFORM=offscreen "$root/usr/bin/trandor-export" "$work/day.csv" --png "$work/day.png" \
  || fail "installed trandor-export failed"
[[ -s "$work/day.png" ]] || fail "installed trandor-export wrote no picture"

(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null) || fail "cpack failed"
deb=$(ls "$work"/package/trandor_"$version"_*.deb)
diff -u <(echo "$expected") <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort) || fail "package content differs"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6printsupport6 libc6 fonts-wqy-zenhei; do
  grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
grep -q libqt6test6 <<<"$(dpkg-deb -I "$deb")" && fail "the package depends on Qt's test library: $depends"
maintainer=$(dpkg-deb -f "$deb" Maintainer)
[[ $maintainer != *localhost* ]] || fail "maintainer $maintainer"
lintian --fail-on error,warning "$deb" >"$work/lintian.txt" 2>&1 || { cat "$work/lintian.txt" >&2; fail "lintian"; }
echo "check_install: install tree and $(basename "$deb") as expected"
