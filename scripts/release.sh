#!/usr/bin/env bash
# Builds a release from a clean checkout: the product build (PE32, i386) of every program that
# ships, packed with README.txt, LICENSE.txt and the programs' checksums into
# dist/rescindo-VERSION.zip, and dist/SHA256SUMS, the checksum of the zip.
#
# Two runs on the same commit give the same bytes, in any folder, at any time, as any user:
# the build leaves out time stamps and folder names, and every entry of the zip gets the
# commit's time. The programs (before signing, when they are signed) are the very bytes that
# build/win32 of scripts/test.sh tests.
#
#   RESCINDO_BUILD     build folder (default: build/release in the checkout)
#   RESCINDO_DIST      output folder (default: dist in the checkout)
#   SOURCE_DATE_EPOCH  the commit's time, needed only for a source tree outside git
#
# Given a code-signing certificate, the programs in the zip are signed with Authenticode
# (SHA-256), so that Windows names their publisher; without one the release is unsigned, as
# described above. A signed program is its unsigned build with a signature appended: removing
# the signature (osslsigncode remove-signature) gives back the unsigned bytes, which the zip's
# SHA256SUMS-unsigned and dist/SHA256SUMS-unsigned list, so a signed release can still be
# checked against a rebuild. Its SHA256SUMS lists the signed programs. A signature holds the
# time of signing, so the signed programs (and so the zip) differ from one signing to the next.
# The certificate comes from one of:
#   RESCINDO_SIGN_PKCS12         a PKCS#12 file (.p12, .pfx) holding the key, its certificate
#                                and the certificates of the chain up to the root
#   RESCINDO_SIGN_PKCS11_MODULE  the PKCS#11 module of a hardware token or HSM (such as
#                                /usr/lib/x86_64-linux-gnu/opensc-pkcs11.so); it needs OpenSSL's
#                                PKCS#11 engine (Debian: libengine-pkcs11-openssl). With it:
#   RESCINDO_SIGN_PKCS11_KEY     the key on the token: a PKCS#11 URI
#                                ("pkcs11:token=...;object=...;type=private") or the key's id
#   RESCINDO_SIGN_PKCS11_CERT    its certificate: a PKCS#11 URI of the one on the token, or a
#                                PEM file holding it and the certificates of its chain
#   RESCINDO_SIGN_PKCS11_ENGINE  the engine's file, when it is not where OpenSSL looks
# The password of the PKCS#12 file, or the token's PIN (leave it out to be asked by the token):
#   RESCINDO_SIGN_PASSWORD_FILE  a file holding the password alone (a line end after it is
#                                ignored); keep it readable by you only
#   RESCINDO_SIGN_PASSWORD       or the password itself. It never appears on a command line:
#                                it is written to a file only you can read, deleted at the end,
#                                and taken out of the environment of every program started
# And, for signatures that stay valid after the certificate expires:
#   RESCINDO_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server (the certificate's issuer names
#                                one), asked over the network for each program
# And what each signature (and time stamp) is verified against once it is made:
#   RESCINDO_SIGN_CA_FILE        root certificates (default: the system's,
#                                /etc/ssl/certs/ca-certificates.crt)
# A trial signature of a small program comes first, before the build, so that a wrong password,
# a missing token or an unreachable time-stamp server shows at once.
set -euo pipefail
export LC_ALL=C TZ=UTC
umask 022
root=$(cd "$(dirname "$0")/.." && pwd)
build=${RESCINDO_BUILD:-$root/build/release}
dist=${RESCINDO_DIST:-$root/dist}

fail() {
    echo "release.sh: $*" >&2
    exit 1
}

# The password leaves the environment at once, before any program is started; a password
# given in the environment goes to a file of its own in a folder only this user can enter.
secrets=""
trial=""
password_file=${RESCINDO_SIGN_PASSWORD_FILE:-}
if [ -n "${RESCINDO_SIGN_PASSWORD+set}" ]; then
    [ -z "$password_file" ] ||
        fail "both RESCINDO_SIGN_PASSWORD and RESCINDO_SIGN_PASSWORD_FILE are set: set one of them"
    secrets=$(umask 077 && mktemp -d "${TMPDIR:-/tmp}/rescindo-sign.XXXXXX")
    password_file=$secrets/password
    (umask 077 && printf '%s' "$RESCINDO_SIGN_PASSWORD" >"$password_file")
fi
unset RESCINDO_SIGN_PASSWORD
clean_up() {
    [ -z "$secrets" ] || rm -rf "$secrets"
    [ -z "$trial" ] || rm -rf "$trial"
}
trap clean_up EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

if [ "$(git -C "$root" rev-parse --show-toplevel 2>/dev/null)" = "$root" ]; then
    [ -z "$(git -C "$root" status --porcelain)" ] ||
        fail "the checkout has uncommitted changes; a release is built from a commit: commit or stash them first"
    epoch=$(git -C "$root" log -1 --format=%ct)
    commit=$(git -C "$root" rev-parse HEAD)
else
    epoch=${SOURCE_DATE_EPOCH:?"$root is not a git checkout: set SOURCE_DATE_EPOCH to the commit's time"}
    commit="(source tree outside git)"
fi
# The time goes into the zip alone. The build must not need it (the linker would take it for the
# PE header), as the tested build/win32 is built without it.
unset SOURCE_DATE_EPOCH

# What osslsigncode is told about the certificate; the password is only ever a file's name here.
pkcs12=${RESCINDO_SIGN_PKCS12:-}
module=${RESCINDO_SIGN_PKCS11_MODULE:-}
timestamp_url=${RESCINDO_SIGN_TIMESTAMP_URL:-}
ca_file=${RESCINDO_SIGN_CA_FILE:-}
readable() { # what, path
    if [ ! -f "$2" ] || [ ! -r "$2" ]; then
        fail "$1 names $2, which is no file this user can read"
    fi
}
certificate=()
if [ -n "$pkcs12" ] && [ -n "$module" ]; then
    fail "both RESCINDO_SIGN_PKCS12 and RESCINDO_SIGN_PKCS11_MODULE are set: sign with one of them"
elif [ -n "$pkcs12" ]; then
    readable RESCINDO_SIGN_PKCS12 "$pkcs12"
    for name in RESCINDO_SIGN_PKCS11_KEY RESCINDO_SIGN_PKCS11_CERT RESCINDO_SIGN_PKCS11_ENGINE; do
        [ -z "${!name:-}" ] || fail "$name is set, but the key is the PKCS#12 file's: unset $name"
    done
    certificate=(-pkcs12 "$pkcs12")
elif [ -n "$module" ]; then
    readable RESCINDO_SIGN_PKCS11_MODULE "$module"
    key=${RESCINDO_SIGN_PKCS11_KEY:-}
    cert=${RESCINDO_SIGN_PKCS11_CERT:-}
    [ -n "$key" ] || fail "RESCINDO_SIGN_PKCS11_MODULE is set: set RESCINDO_SIGN_PKCS11_KEY too," \
        "to the key's PKCS#11 URI or id"
    [ -n "$cert" ] || fail "RESCINDO_SIGN_PKCS11_MODULE is set: set RESCINDO_SIGN_PKCS11_CERT too," \
        "to the certificate's PKCS#11 URI or a PEM file of it and its chain"
    certificate=(-pkcs11module "$module" -key "$key")
    if [ -n "${RESCINDO_SIGN_PKCS11_ENGINE:-}" ]; then
        readable RESCINDO_SIGN_PKCS11_ENGINE "$RESCINDO_SIGN_PKCS11_ENGINE"
        certificate=(-pkcs11engine "$RESCINDO_SIGN_PKCS11_ENGINE" "${certificate[@]}")
    fi
    if [[ $cert == pkcs11:* ]]; then
        certificate+=(-pkcs11cert "$cert")
    else
        readable RESCINDO_SIGN_PKCS11_CERT "$cert"
        certificate+=(-certs "$cert")
    fi
else
    for name in RESCINDO_SIGN_PASSWORD_FILE RESCINDO_SIGN_TIMESTAMP_URL RESCINDO_SIGN_CA_FILE \
        RESCINDO_SIGN_PKCS11_KEY RESCINDO_SIGN_PKCS11_CERT RESCINDO_SIGN_PKCS11_ENGINE; do
        [ -z "${!name:-}" ] || fail "$name is set but no certificate is:" \
            "set RESCINDO_SIGN_PKCS12 or RESCINDO_SIGN_PKCS11_MODULE, or unset $name"
    done
    [ -z "$secrets" ] || fail "RESCINDO_SIGN_PASSWORD is set but no certificate is:" \
        "set RESCINDO_SIGN_PKCS12 or RESCINDO_SIGN_PKCS11_MODULE, or unset RESCINDO_SIGN_PASSWORD"
fi
signing=${certificate[*]:+yes}
if [ -n "$signing" ]; then
    if [ -n "$password_file" ]; then
        readable "the password file" "$password_file"
        certificate+=(-readpass "$password_file")
    fi
    verify_trust=()
    if [ -n "$ca_file" ]; then
        readable RESCINDO_SIGN_CA_FILE "$ca_file"
        verify_trust=(-CAfile "$ca_file" -TSA-CAfile "$ca_file")
    fi
    stamp=()
    [ -z "$timestamp_url" ] || stamp=(-ts "$timestamp_url")
fi

"$root/scripts/install-deps.sh"
if [ -n "$signing" ]; then
    command -v osslsigncode >/dev/null ||
        fail "osslsigncode is missing: run scripts/install-deps.sh (or apt-get install osslsigncode)"
fi

# Signs one file, then checks the signature against the trusted roots. The signature covers
# everything but the PE checksum, the certificate table's entry in the header and the table
# itself, so that a changed byte anywhere else shows.
sign() { # unsigned, signed, log
    rm -f "$2"
    if ! osslsigncode sign "${certificate[@]}" -h sha256 -n Rescindo "${stamp[@]}" \
        -in "$1" -out "$2" >"$3" 2>&1; then
        cat "$3" >&2
        fail "signing ${1##*/} failed (see above): check the certificate, the password or PIN," \
            "the token and the time-stamp server"
    fi
    if ! osslsigncode verify "${verify_trust[@]}" -in "$2" >>"$3" 2>&1; then
        cat "$3" >&2
        fail "the signature of ${2##*/} does not verify (see above): the certificate must be valid" \
            "and for code signing, and issued under a root of RESCINDO_SIGN_CA_FILE (default: the system's)"
    fi
}

# A signature spoils nothing only when removing it gives back the program as it was built:
# osslsigncode appends the certificate table (the signature) at the file's end, pads to 8 bytes
# before it, points the header's certificate table entry at it and writes a new PE checksum;
# remove-signature cuts the table off, clears the entry and computes the checksum again. That
# gives the unsigned bytes when the file ends at a multiple of 8 bytes (ld pads every section to
# the file alignment, 512) and ld's checksum is the one remove-signature computes (ld writes
# the standard one; a zero there would not come back). Both hold for what ld links; each program
# is checked, on a copy, so that a build that breaks either stops the release here.
check_removable() { # unsigned, signed, work folder
    rm -f "$3/removed.exe"
    if ! osslsigncode remove-signature -in "$2" -out "$3/removed.exe" >"$3/remove.log" 2>&1; then
        cat "$3/remove.log" >&2
        fail "cannot remove the signature of ${2##*/} again (see above)"
    fi
    cmp -s "$1" "$3/removed.exe" || fail "${2##*/} without its signature is not the program as built" \
        "($(cmp "$1" "$3/removed.exe" 2>&1 | head -n 1)), so the release could not be checked" \
        "against a rebuild: nothing was packed"
}

# The version as the programs' own compiler reads it from res/version.h.
compiler=i686-w64-mingw32-g++-posix
version=$(printf '#include "res/version.h"\nRESCINDO_VERSION_TEXT\n' |
    "$compiler" -E -P -x c++ -I "$root" - | tr -d '"[:space:]')
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "res/version.h gives no version (read: '$version')"

# A trial first: a program of one line, linked as the programs are, signed, verified and its
# signature removed, before minutes of building.
if [ -n "$signing" ]; then
    trial=$(mktemp -d "${TMPDIR:-/tmp}/rescindo-sign-trial.XXXXXX")
    echo "signing: a trial program first" >&2
    printf 'int main() { return 0; }\n' | "$compiler" -x c++ - -O2 -static -s \
        -Wl,--no-insert-timestamp -o "$trial/trial.exe" || fail "cannot link the trial program"
    sign "$trial/trial.exe" "$trial/trial-signed.exe" "$trial/sign.log"
    check_removable "$trial/trial.exe" "$trial/trial-signed.exe" "$trial"
    rm -rf "$trial"
fi

# The build type and toolchain of build/win32 in scripts/test.sh, so that what ships is what was
# tested; only the programs that ship are built, from scratch.
mkdir -p "$build"
cmake --fresh -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRESCINDO_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log"; fail "configuring failed"; }
cmake --build "$build" --clean-first --target shipped_programs -j"$(nproc)" -- --no-print-directory \
    >"$build/build.log" 2>&1 || { tail -n 40 "$build/build.log"; fail "building failed"; }
mapfile -t programs <"$build/shipped-programs.txt"

# The built programs stay as they are; the signed ones are copies beside them.
packed=("${programs[@]}")
unsigned=()
if [ -n "$signing" ]; then
    signed=$build/signed
    rm -rf "$signed"
    mkdir -p "$signed"
    packed=()
    for program in "${programs[@]}"; do
        name=${program##*/}
        echo "signing: $name" >&2
        sign "$program" "$signed/$name" "$signed/$name.log"
        check_removable "$program" "$signed/$name" "$signed"
        packed+=("$signed/$name")
    done
    rm -f "$signed/removed.exe" "$signed/remove.log"
    unsigned=(--unsigned "${programs[@]}")
fi

zip=$(python3 "$root/scripts/pack-release.py" "$dist" "$version" "$epoch" \
    "$root/docs/README.txt" "$root/LICENSE" "${packed[@]}" "${unsigned[@]}")

echo "commit:    $commit"
echo "toolchain: $("$compiler" --version | head -n 1); $(i686-w64-mingw32-ld --version | head -n 1)"
echo "programs:  ${programs[*]##*/}"
if [ -n "$signing" ]; then
    signer=$(osslsigncode --version | head -n 1)
    echo "signed:    ${signer%, using:}, SHA-256${timestamp_url:+, time stamps from $timestamp_url}"
fi
echo "zip:       $zip"
cat "$dist/SHA256SUMS"
if [ -n "$signing" ]; then
    echo "unsigned programs (dist/SHA256SUMS-unsigned):"
    cat "$dist/SHA256SUMS-unsigned"
fi
