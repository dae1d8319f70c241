#!/usr/bin/env bash
# Installs the build into a temporary prefix and starts what was installed:
# the programs find their library, helper and translations there and keep
# their settings in a temporary XDG configuration folder, never beside
# themselves. Usage: install_test.sh BUILD_DIR, or install_test.sh --installed
# PREFIX for a tree installed otherwise (the unpacked Debian package).
set -euo pipefail
tmp=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "install_test: $*" >&2; exit 1; }

if [ "$1" = --installed ]; then
  prefix=$2
else
  prefix=$tmp/prefix
  cmake --install "$1" --prefix "$prefix" >/dev/null
fi

for f in bin/Pictray bin/Twinscan bin/pictray bin/twinscan bin/pictray-cli bin/twinscan-cli \
         lib/pictray/libthumbkit.so lib/pictray/libtwinscansearch.so lib/pictray/erasekit share/pictray/installed \
         share/pictray/translations/common_en.qm share/pictray/translations/pictray_en.qm \
         share/pictray/translations/twinscan_en.qm share/pictray/Pictrayhelp.html share/pictray/Twinscanhelp.html share/pictray/Pictrayhelp_en.html share/pictray/Twinscanhelp_en.html \
         share/applications/org.pictray.Pictray.desktop share/applications/org.pictray.Twinscan.desktop \
         share/metainfo/org.pictray.Pictray.metainfo.xml share/metainfo/org.pictray.Twinscan.metainfo.xml \
         share/icons/hicolor/48x48/apps/org.pictray.Pictray.png \
         share/icons/hicolor/256x256/apps/org.pictray.Twinscan.png \
         share/man/man1/pictray-cli.1.gz share/man/man1/twinscan-cli.1.gz \
         share/doc/pictray/copyright share/doc/pictray/changelog.Debian.gz; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
[ "$(readlink "$prefix/bin/pictray")" = Pictray ] || fail "bin/pictray is not a link to Pictray"
# Each menu entry names a command and an icon that were installed.
for entry in "$prefix"/share/applications/*.desktop; do
  command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
  icon=$(sed -n 's/^Icon=//p' "$entry")
  [ -x "$prefix/bin/$command" ] || fail "$entry starts $command, which is not installed"
  ls "$prefix"/share/icons/hicolor/*/apps/"$icon".png >/dev/null 2>&1 || fail "$entry shows $icon, not installed"
done
bin_before=$(ls -A "$prefix/bin")

export XDG_CONFIG_HOME=$tmp/config QT_QPA_PLATFORM=offscreen HOME=$tmp/home
config=$XDG_CONFIG_HOME/pictray
mkdir -p "$HOME" "$tmp/pics"
cp "$(dirname "$0")/data/jpeg/rgb_4x2.jpg" "$tmp/pics/a.jpg"
cp "$tmp/pics/a.jpg" "$tmp/pics/b.jpg"

# The command lines: settings in the configuration folder, the colour step
# through the installed libthumbkit.so.
out=$("$prefix/bin/pictray-cli" "$tmp/pics" rgb=1) || fail "pictray-cli failed"
[ "$(printf '%s\n' "$out" | wc -l)" = 2 ] || fail "pictray-cli listed: $out"
[ -f "$config/Pictray.ini" ] || fail "pictray-cli made no $config/Pictray.ini"
"$prefix/bin/twinscan-cli" --extract --dry-run "$tmp/pics" >/dev/null || fail "twinscan-cli failed"
rm -rf "$config"

# A program still running after a while has found what it needs (without
# libthumbkit.so or erasekit it would stop at once with a message).
running() {  # PID FILE-IT-MAKES
  for _ in $(seq 1 300); do
    [ -e "$2" ] && break
    kill -0 "$1" 2>/dev/null || fail "program $1 ended early"
    sleep 0.1
  done
  [ -e "$2" ] || fail "program $1 made no $2"
  sleep 1
  kill -0 "$1" 2>/dev/null || fail "program $1 ended"
}

"$prefix/bin/pictray" --lang en "$tmp/pics" &
pids+=($!)
running $! "$config/Pictray.ini"
grep -q "^WPath=$config\$" "$config/Pictray.ini" || fail "Pictray.ini lacks WPath=$config"
grep -q "^ZenApp=Twinscan\$" "$config/Pictray.ini" || fail "Pictray.ini lacks its creation values"
ls "$config" | grep -q '^[0-9]*Pictray\.ini$' || fail "no working copy in $config"
maps=$(cat "/proc/${pids[0]}/maps")
grep -q "$prefix/lib/pictray/libthumbkit.so" <<<"$maps" || fail "Pictray did not load the installed libthumbkit.so"
grep -q "$prefix/share/pictray/translations/common_en.qm" <<<"$maps" || fail "Pictray --lang en loaded no translation"

"$prefix/bin/twinscan" --lang en &
pids+=($!)
running $! "$config"
kill "${pids[@]}"
wait 2>/dev/null || true
pids=()

# The language: the locale, overridden by --lang. An English window has its
# translations mapped; a Japanese one loads none.
cases=("en_US.UTF-8||en" "C||en" "ja_JP.UTF-8||ja" "de_DE.UTF-8||en" "C|--lang ja|ja" "en_GB.UTF-8|--lang=ja|ja")
case_pids=()
for i in "${!cases[@]}"; do
  IFS='|' read -r lang args _ <<<"${cases[$i]}"
  # A configuration folder of its own: the window makes it after the
  # translations were loaded.
  # shellcheck disable=SC2086
  env -u LC_ALL -u LC_MESSAGES LANG="$lang" XDG_CONFIG_HOME="$tmp/lang$i" "$prefix/bin/twinscan" $args &
  case_pids+=($!)
  pids+=($!)
done
for i in "${!cases[@]}"; do
  IFS='|' read -r lang args expected <<<"${cases[$i]}"
  running "${case_pids[$i]}" "$tmp/lang$i/pictray"
  maps=$(cat "/proc/${case_pids[$i]}/maps") || fail "twinscan ended (LANG=$lang $args)"
  spoken=ja
  grep -q "$prefix/share/pictray/translations/twinscan_en.qm" <<<"$maps" && spoken=en
  [ "$spoken" = "$expected" ] || fail "LANG=$lang $args: the window speaks $spoken, not $expected"
done
kill "${pids[@]}"
wait 2>/dev/null || true
pids=()

[ "$(ls -A "$prefix/bin")" = "$bin_before" ] || fail "something was written beside the programs"

# A bad language is refused before any window opens.
if "$prefix/bin/twinscan" --lang xx 2>/dev/null; then fail "--lang xx was accepted"; fi
echo "install_test: passed"
