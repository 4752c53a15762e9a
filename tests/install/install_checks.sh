#!/bin/bash
# install_checks.sh desktop FILE | metainfo FILE VERSION | changelog FILE VERSION | staged BUILD_DIR CMAKE GUI(yes|no)
#                   | package BUILD_DIR CPACK
set -u

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

skip() {
    echo "SKIP: $*"
    exit 77
}

check_desktop() {
    command -v desktop-file-validate >/dev/null || skip "desktop-file-validate is missing (Debian package desktop-file-utils)"
    desktop-file-validate "$1" || fail "desktop-file-validate rejects $1"
    grep -q '^Name\[zh_CN\]=' "$1" || fail "no Simplified Chinese name in $1"
    grep -q '^Comment\[zh_CN\]=' "$1" || fail "no Simplified Chinese comment in $1"
    # One main category, and the window class the program sets, so docks match its windows to the entry.
    grep -q '^Categories=Network;$' "$1" || fail "the category is not Network alone in $1"
    grep -q '^StartupWMClass=corvantide$' "$1" || fail "StartupWMClass is not corvantide in $1"
}

check_metainfo() {
    command -v appstreamcli >/dev/null || skip "appstreamcli is missing (Debian package appstream)"
    appstreamcli validate --no-net "$1" || fail "appstreamcli rejects $1"
    # The newest release listed must be the one being built.
    grep -m1 '<release ' "$1" | grep -q "version=\"$2\"" || fail "the newest release in $1 is not $2"
}

# The package's changelog must name the version being built in its newest entry.
check_changelog() {
    head -n1 "$1" | grep -q "^corvantide ($2) " || fail "the newest entry of $1 is not version $2"
}

# Installs into a staging folder under an unusual prefix, then runs the installed tool there as a
# user without settings: it must find its shipped files relative to itself.
check_staged() {
    local build=$1 cmake=$2 gui=$3
    work=$(mktemp -d) || fail "no temporary folder"
    trap 'rm -rf "$work"' EXIT
    local prefix=/opt/corvantide-test
    local root=$work/root$prefix
    DESTDIR=$work/root "$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
        { cat "$work/install.log"; fail "cmake --install failed"; }

    local app=io.github.corvantide.corvantide
    local expected=(
        bin/corvantide-cli
        share/corvantide/Config.ini
        share/corvantide/en.dct
        share/corvantide/zh-cn.dct
        share/corvantide/dictionaries-copyright.txt
        share/corvantide/suffixes.tsv
        share/corvantide/suffixes-closed.tsv
        share/corvantide/suffixes-copyright.txt
        share/corvantide/popular-suffixes.txt
        share/corvantide/whois-marks.tsv
        share/corvantide/phrases-copyright.txt
        share/doc/corvantide/copyright
        share/doc/corvantide/changelog.gz
        share/man/man1/corvantide-cli.1.gz
        share/bash-completion/completions/corvantide-cli
        share/zsh/vendor-completions/_corvantide-cli
        share/fish/vendor_completions.d/corvantide-cli.fish
    )
    # Only with the window: its program, manual page, menu entry, icons and metadata.
    local window=(
        bin/corvantide
        share/man/man1/corvantide.1.gz
        share/applications/$app.desktop
        share/metainfo/$app.metainfo.xml
        share/icons/hicolor/scalable/apps/$app.svg
        share/icons/hicolor/48x48/apps/$app.png
        share/icons/hicolor/128x128/apps/$app.png
        share/icons/hicolor/256x256/apps/$app.png
    )
    echo "Installed under $prefix:"
    (cd "$root" && find . -type f | sort)
    local file
    for file in "${expected[@]}"; do
        [ -f "$root/$file" ] || fail "$file was not installed"
    done
    for file in "${window[@]}"; do
        if [ "$gui" = yes ]; then
            [ -f "$root/$file" ] || fail "$file was not installed"
        else
            [ ! -e "$root/$file" ] || fail "$file was installed without the window"
        fi
    done
    gzip -t "$root/share/man/man1/corvantide-cli.1.gz" || fail "the manual page is not gzip-compressed"
    [ -x "$root/bin/corvantide-cli" ] || fail "bin/corvantide-cli is not executable"

    local cli=$root/bin/corvantide-cli
    local shipped=$root/share/corvantide/Config.ini
    local empty=$work/empty
    mkdir -p "$empty" "$work/home"

    # First start without XDG_CONFIG_HOME: the copy goes to ~/.config and is named.
    local out
    out=$(cd "$empty" && env -u XDG_CONFIG_HOME -u XDG_DATA_HOME HOME="$work/home" "$cli" servers 2>&1) ||
        fail "servers failed on first start: $out"
    local own=$work/home/.config/corvantide/Config.ini
    cmp -s "$own" "$shipped" || fail "first start did not copy the shipped Config.ini to $own"
    [[ "$out" == *"$own"* ]] || fail "servers does not name $own: $out"
    [[ "$out" == *"whois.verisign-grs.com"* ]] || fail "servers did not print the shipped table: $out"

    # The user's own copy is read from then on and never replaced by the shipped one.
    printf '[setting]\nnum=1\n[whois]\n1=test+whois.example.test+No match\n' >"$own"
    out=$(cd "$empty" && env -u XDG_CONFIG_HOME HOME="$work/home" "$cli" servers 2>/dev/null) ||
        fail "servers failed on the user's copy"
    [ "$out" = $'x\ttest\twhois.example.test\tNo match' ] || fail "servers did not read the user's copy: $out"

    # XDG_CONFIG_HOME wins over ~/.config.
    out=$(cd "$empty" && XDG_CONFIG_HOME="$work/xdg" HOME="$work/home" "$cli" servers 2>&1) ||
        fail "servers failed with XDG_CONFIG_HOME: $out"
    cmp -s "$work/xdg/corvantide/Config.ini" "$shipped" || fail "no copy under XDG_CONFIG_HOME"

    # Dictionaries: the current folder, then XDG_DATA_HOME, then the installed ones.
    local words=(words --page dictionary --dict en --min 1 --max 63)
    out=$(cd "$empty" && env -u XDG_DATA_HOME HOME="$work/home" "$cli" "${words[@]}" 2>&1) ||
        fail "the installed en.dct was not found: $out"
    [ "$(printf '%s\n' "$out" | wc -l)" -gt 1000 ] || fail "the installed en.dct gave too few words"
    mkdir -p "$work/data/corvantide"
    printf 'fromdatahome\n' >"$work/data/corvantide/en.dct"
    out=$(cd "$empty" && XDG_DATA_HOME="$work/data" HOME="$work/home" "$cli" "${words[@]}" 2>&1)
    [ "$out" = fromdatahome ] || fail "XDG_DATA_HOME/corvantide/en.dct was not preferred: $out"
    printf 'fromhere\n' >"$empty/en.dct"
    out=$(cd "$empty" && XDG_DATA_HOME="$work/data" HOME="$work/home" "$cli" "${words[@]}" 2>&1)
    [ "$out" = fromhere ] || fail "en.dct in the current folder was not preferred: $out"
    echo "PASS"
}

# Builds the Debian package from the build folder as the README does and runs lintian on it: any
# error or warning fails. A Release build must also carry the hardening flags.
check_package() {
    local build cpack=$2
    build=$(cd "$1" && pwd) || fail "no build folder $1"
    command -v lintian >/dev/null || skip "lintian is missing (Debian package lintian)"
    command -v dpkg-shlibdeps >/dev/null || skip "dpkg-shlibdeps is missing (Debian package dpkg-dev)"
    work=$(mktemp -d) || fail "no temporary folder"
    trap 'rm -rf "$work"' EXIT
    (cd "$work" && "$cpack" -G DEB -B "$work" --config "$build/CPackConfig.cmake") >"$work/cpack.log" 2>&1 ||
        { cat "$work/cpack.log"; fail "cpack failed"; }
    local deb
    deb=$(find "$work" -maxdepth 1 -name 'corvantide_*.deb' | head -n1)
    [ -n "$deb" ] || fail "cpack made no corvantide_*.deb"
    echo "lintian on $(basename "$deb"):"
    lintian --fail-on error,warning --display-info "$deb" || fail "lintian reports errors or warnings on $deb"
    if grep -q '^CMAKE_BUILD_TYPE:[A-Z]*=Release$' "$build/CMakeCache.txt"; then
        mkdir "$work/root"
        dpkg-deb -x "$deb" "$work/root"
        local program
        for program in "$work"/root/usr/bin/*; do
            readelf -d "$program" | grep -q 'BIND_NOW' || fail "$(basename "$program") is not linked with bind now"
            readelf -lW "$program" | grep -q 'GNU_RELRO' || fail "$(basename "$program") has no relro segment"
            readelf -hW "$program" | grep -q 'Type: *DYN' || fail "$(basename "$program") is not position-independent"
            readelf --dyn-syms -W "$program" | grep -q '__[a-z_]*_chk' ||
                fail "$(basename "$program") calls no fortified function"
        done
    fi
    echo "PASS"
}

case "${1:-}" in
desktop) check_desktop "$2" ;;
metainfo) check_metainfo "$2" "$3" ;;
changelog) check_changelog "$2" "$3" ;;
staged) check_staged "$2" "$3" "$4" ;;
package) check_package "$2" "$3" ;;
*) fail "unknown check '${1:-}'" ;;
esac
