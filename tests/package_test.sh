#!/usr/bin/env bash
# Checks the Debian package: what it holds, what it depends on, lintian, the
# programs run from the unpacked tree with only the system's libraries, and
# (as root) that dpkg installs it and removes every file. Usage: package_test.sh DEB
set -euo pipefail
deb=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "package_test: $*" >&2; exit 1; }

contents=$(dpkg-deb -c "$deb")
while read -r _ _ _ _ _ path _; do
  [[ $path == ./ || $path == ./usr/* ]] || fail "outside /usr: $path"
  if [[ $path =~ _test|bench_ ]]; then fail "a test program is packed: $path"; fi
done <<<"$contents"

# Computed by dpkg-shlibdeps (the libraries are there), nothing of the build;
# lintian checks owners and permissions.
depends=$(dpkg-deb -f "$deb" Depends | sed 's/ *([^)]*)//g; s/, */\n/g')
for needed in libc6 libjpeg62-turbo libqt6widgets6; do grep -qx "$needed" <<<"$depends" || fail "no $needed"; done
grep -qE '^libavformat[0-9]+$' <<<"$depends" || fail "no libavformat (loaded at the first video)"
if grep -E -- '-dev$|^(gcc|g\+\+|clang|cmake)$|gtest|gmock|benchmark' <<<"$depends"; then fail "build dependency"; fi

lintian --fail-on error "$deb" >"$tmp/lintian" 2>&1 || { cat "$tmp/lintian" >&2; fail "lintian found errors"; }

dpkg -x "$deb" "$tmp/root"
version=$(dpkg-deb -f "$deb" Version)
mkdir -p "$tmp/pics" && cp "$here/data/jpeg/rgb_4x2.jpg" "$tmp/pics/a.jpg"
unset LD_LIBRARY_PATH
for cli in pictray-cli twinscan-cli; do
  out=$("$tmp/root/usr/bin/$cli" --version) || fail "$cli --version failed"
  [ "$out" = "$cli ${version%-*}" ] || fail "$cli --version says '$out', the package is $version"
done
out=$(XDG_CONFIG_HOME="$tmp/config" "$tmp/root/usr/bin/pictray-cli" "$tmp/pics" size 2>/dev/null) || fail "size failed"
[ "$(cut -f2 <<<"$out")" = 4X2 ] || fail "pictray-cli FOLDER size listed: $out"
bash "$here/install_test.sh" --installed "$tmp/root/usr"

if [ "$(id -u)" -ne 0 ] || dpkg-query -W pictray >/dev/null 2>&1; then
  echo "package_test: passed (dpkg -i/-r skipped: not root, or pictray already installed)"
  exit 0
fi
dpkg -i "$deb" >/dev/null || fail "dpkg -i failed"
/usr/bin/pictray-cli --version >/dev/null || { dpkg -r pictray >/dev/null; fail "installed pictray-cli failed"; }
dpkg -r pictray >/dev/null || fail "dpkg -r failed"
status=$(dpkg-query -W -f='${db:Status-Status}' pictray 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] || fail "after dpkg -r pictray is $status"
while read -r f; do
  if [ -e "$f" ] || [ -L "$f" ]; then fail "left after dpkg -r: $f"; fi
done < <(awk '$1 !~ /^d/ {print substr($6, 2)}' <<<"$contents")
echo "package_test: passed"
