#!/usr/bin/env bash
# Authenticode signing (osslsigncode) for scripts/package, with the certificate
# it is given in the environment:
#   RETICOR2_SIGN_PFX            a PKCS#12 file: the certificate and its private key
#   RETICOR2_SIGN_PASSWORD_FILE  a file holding its password
#   RETICOR2_SIGN_TIMESTAMP_URL  optional: an RFC 3161 timestamp server
#
#   sign.sh --check    fails with a message unless the three make a whole configuration
#   sign.sh FILE...    signs each Windows program in place (SHA-256)
#
# Without a timestamp server the signing time is SOURCE_DATE_EPOCH, so that one
# certificate signs the same file to the same bytes every time. makensis runs
# this on the installer and on the uninstaller inside it (reticor2.nsi).
set -euo pipefail

die() { echo "package: signing: $*" >&2; exit 1; }

pfx=${RETICOR2_SIGN_PFX:-} password=${RETICOR2_SIGN_PASSWORD_FILE:-} tsa=${RETICOR2_SIGN_TIMESTAMP_URL:-}

if [ "${1-}" = --check ]; then
  [ -n "$pfx" ] || die "RETICOR2_SIGN_PASSWORD_FILE or RETICOR2_SIGN_TIMESTAMP_URL is set, but no RETICOR2_SIGN_PFX to sign with"
  [ -n "$password" ] || die "RETICOR2_SIGN_PFX is set, but no RETICOR2_SIGN_PASSWORD_FILE with its password"
  for file in "$pfx" "$password"; do
    { [ -f "$file" ] && [ -r "$file" ]; } || die "cannot read $file"
  done
  # The password as osslsigncode reads it, without the line end; OpenSSL 3 opens
  # older files (RC2, 3DES) only with its legacy provider.
  opens() { tr -d '\r\n' <"$password" | openssl pkcs12 "$@" -in "$pfx" -passin stdin -noout 2>/dev/null; }
  opens || opens -legacy ||
    die "$pfx does not open with the password in $password (a wrong password, or not a PKCS#12 file)"
  exit 0
fi

if [ -n "$tsa" ]; then
  when=(-ts "$tsa")
else
  when=(-time "${SOURCE_DATE_EPOCH:?}")
fi
for file in "$@"; do
  out=$(osslsigncode sign -pkcs12 "$pfx" -readpass "$password" -h sha256 -n Reticor2 "${when[@]}" \
    -in "$file" -out "$file.signed" 2>&1) || { echo "$out" >&2; rm -f "$file.signed"; die "could not sign $file"; }
  mv "$file.signed" "$file"
done
