#!/bin/bash
# install_checks.sh desktop FILE | metainfo FILE VERSION | staged BUILD_DIR CMAKE GUI(yes|no) CLI_DOCS(yes|no)
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
    grep -q '^Categories=Network;Utility;$' "$1" || fail "categories are not Network and Utility in $1"
}

check_metainfo() {
    command -v appstreamcli >/dev/null || skip "appstreamcli is missing (Debian package appstream)"
    appstreamcli validate --no-net "$1" || fail "appstreamcli rejects $1"
    # The newest release listed must be the one being built.
    grep -m1 '<release ' "$1" | grep -q "version=\"$2\"" || fail "the newest release in $1 is not $2"
}

# Installs into a staging folder under an unusual prefix, then runs the installed tool there as a
# user without settings: it must find its shipped files relative to itself.
check_staged() {
    local build=$1 cmake=$2 gui=$3 cli_docs=$4
    work=$(mktemp -d) || fail "no temporary folder"
    trap 'rm -rf "$work"' EXIT
    local prefix=/opt/corvantide-test
    local root=$work/root$prefix
    DESTDIR=$work/root "$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
        { cat "$work/install.log"; fail "cmake --install failed"; }

    local app=io.github.corvantide.Corvantide
    local expected=(
        bin/corvantide-cli
        share/corvantide/Config.ini
        share/corvantide/en.dct
        share/corvantide/zh-cn.dct
        share/corvantide/dictionaries-copyright.txt
        share/corvantide/suffixes.tsv
        share/corvantide/suffixes-copyright.txt
        share/applications/$app.desktop
        share/metainfo/$app.metainfo.xml
        share/icons/hicolor/scalable/apps/$app.svg
        share/icons/hicolor/48x48/apps/$app.png
        share/icons/hicolor/128x128/apps/$app.png
        share/icons/hicolor/256x256/apps/$app.png
    )
    [ "$gui" = yes ] && expected+=(bin/corvantide)
    [ "$cli_docs" = yes ] && expected+=(share/man/man1/corvantide-cli.1 share/bash-completion/completions/corvantide-cli)
    echo "Installed under $prefix:"
    (cd "$root" && find . -type f | sort)
    local file
    for file in "${expected[@]}"; do
        [ -f "$root/$file" ] || fail "$file was not installed"
    done
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

case "${1:-}" in
desktop) check_desktop "$2" ;;
metainfo) check_metainfo "$2" "$3" ;;
staged) check_staged "$2" "$3" "$4" "$5" ;;
*) fail "unknown check '${1:-}'" ;;
esac
