#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and builds the Debian package from it,
# then checks what a user gets: the file list of both, a desktop entry the desktop
# tools accept, icons of the size their folder names, a manual page with the tool's
# options and version, binaries that run from the install tree, and dependencies
# computed from the binaries.
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
./usr/share/applications/trandor.desktop"
for size in 16 24 32 48 64 128 256; do
  expected+=$'\n'"./usr/share/icons/hicolor/${size}x${size}/apps/trandor.png"
done
expected+=$'\n'"./usr/share/man/man1/trandor-export.1.gz"
expected=$(sort <<<"$expected")

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
root="$work/root"
diff -u <(echo "$expected") <(cd "$root" && find . ! -type d | sort) || fail "install tree differs"

desktop-file-validate "$root/usr/share/applications/trandor.desktop" || fail "desktop entry rejected"

# A PNG's width and height are the big-endian words at bytes 16 and 20.
for size in 16 24 32 48 64 128 256; do
  icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/trandor.png"
  read -r w0 w1 w2 w3 h0 h1 h2 h3 < <(od -An -tu1 -j16 -N8 "$icon")
  w=$(((w0 << 24) | (w1 << 16) | (w2 << 8) | w3))
  h=$(((h0 << 24) | (h1 << 16) | (h2 << 8) | h3))
  [[ $w == "$size" && $h == "$size" ]] || fail "icon ${size}x${size} is ${w}x${h}"
done

page=$(gzip -dc "$root/usr/share/man/man1/trandor-export.1.gz")
grep -q "^\.TH TRANDOR-EXPORT \"1\" .*\"trandor-export $version\"" <<<"$page" || fail "manual page header"
for option in --info --png --pdf --query --cursor --version; do
  grep -q -- "${option//-/\\\\-}" <<<"$page" || fail "manual page lacks $option"
done

# The installed tool runs on its own, away from the build tree.
[[ $("$root/usr/bin/trandor-export" --version) == "trandor-export $version" ]] || fail "--version"
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
echo "check_install: install tree and $(basename "$deb") as expected"
