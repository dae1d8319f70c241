#!/usr/bin/env bash
# Checks the Debian package: what it holds, what it depends on, lintian, the
# programs run from the unpacked tree with nothing but the system's
# libraries, and (as root) that dpkg installs it and removes every file.
# Usage: package_test.sh DEB
set -euo pipefail
deb=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "package_test: $*" >&2; exit 1; }

# Everything under /usr, owned by root; no test or benchmark program.
contents=$(dpkg-deb -c "$deb")
while read -r _ owner _ _ _ path _; do
  [[ $path == ./ || $path == ./usr/* ]] || fail "outside /usr: $path"
  [ "$owner" = root/root ] || fail "$path belongs to $owner"
  if [[ $path =~ _test|bench_ ]]; then fail "a test program is packed: $path"; fi
done <<<"$contents"

# Dependencies came from dpkg-shlibdeps, and none is part of the build.
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libjpeg62-turbo libqt6widgets6; do
  grep -Eq "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
while read -r name; do
  if [[ $name =~ -dev$|^(gcc|g\+\+|clang|cmake|ninja-build)$|gtest|gmock|benchmark ]]; then
    fail "build dependency: $name"
  fi
done < <(sed 's/ *([^)]*)//g; s/, */\n/g' <<<"$depends")

lintian --fail-on error "$deb" >"$tmp/lintian" 2>&1 || { cat "$tmp/lintian" >&2; fail "lintian found errors"; }

# The unpacked tree: the command lines, then the installed-layout checks.
dpkg -x "$deb" "$tmp/root"
version=$(dpkg-deb -f "$deb" Version)
mkdir -p "$tmp/pics"
cp "$here/data/jpeg/rgb_4x2.jpg" "$tmp/pics/a.jpg"
for cli in pictray-cli twinscan-cli; do
  out=$(env -u LD_LIBRARY_PATH "$tmp/root/usr/bin/$cli" --version) || fail "$cli --version failed"
  [ "$out" = "$cli ${version%-*}" ] || fail "$cli --version says '$out', the package is $version"
done
out=$(env -u LD_LIBRARY_PATH XDG_CONFIG_HOME="$tmp/config" "$tmp/root/usr/bin/pictray-cli" "$tmp/pics" size 2>/dev/null) ||
  fail "pictray-cli FOLDER size failed"
[ "$(cut -f2 <<<"$out")" = 4X2 ] || fail "pictray-cli FOLDER size listed: $out"
[ -f "$tmp/config/pictray/Pictray.ini" ] || fail "pictray-cli kept no settings in the XDG folder"
env -u LD_LIBRARY_PATH bash "$here/install_test.sh" --installed "$tmp/root/usr"

if [ "$(id -u)" -ne 0 ] || dpkg-query -W pictray >/dev/null 2>&1; then
  echo "package_test: passed (dpkg -i/-r skipped: not root, or pictray already installed)"
  exit 0
fi
files=$(awk '$1 !~ /^d/ {print substr($6, 2)}' <<<"$contents")
dpkg -i "$deb" >/dev/null || fail "dpkg -i failed"
out=$(/usr/bin/pictray-cli --version) || { dpkg -r pictray >/dev/null; fail "installed pictray-cli failed"; }
dpkg -r pictray >/dev/null || fail "dpkg -r failed"
status=$(dpkg-query -W -f='${db:Status-Status}' pictray 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] || fail "after dpkg -r pictray is $status"
while read -r f; do
  if [ -e "$f" ] || [ -L "$f" ]; then fail "left after dpkg -r: $f"; fi
done <<<"$files"
echo "package_test: passed"
