# shellcheck shell=bash
# Authenticode signing with osslsigncode; sourced, not run.
#
# The certificate comes from the environment:
#   QUILL_SIGN_CERT + QUILL_SIGN_KEY   PEM certificate (chain) and private key
#                                      (QUILL_SIGN_PASSWORD if the key is encrypted)
#   QUILL_SIGN_PFX                     a PKCS#12 file (QUILL_SIGN_PASSWORD)
# Without them, make_test_certificate DIR makes a throw-away self-signed
# code-signing certificate in DIR and points QUILL_SIGN_CERT/KEY at it.

# Makes (or reuses) DIR/test-signing.{crt,key} and exports them as the
# signing certificate.
make_test_certificate() {
  local dir=$1
  mkdir -p "$dir" || return 1
  if [ ! -s "$dir/test-signing.crt" ] || [ ! -s "$dir/test-signing.key" ]; then
    openssl req -x509 -newkey rsa:2048 -nodes -days 30 -sha256 \
      -subj "/CN=Quill test signing (throw-away)" \
      -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
      -keyout "$dir/test-signing.key.tmp" -out "$dir/test-signing.crt.tmp" >/dev/null 2>&1 ||
      return 1
    mv "$dir/test-signing.key.tmp" "$dir/test-signing.key" &&
      mv "$dir/test-signing.crt.tmp" "$dir/test-signing.crt" || return 1
  fi
  export QUILL_SIGN_CERT="$dir/test-signing.crt" QUILL_SIGN_KEY="$dir/test-signing.key"
  unset QUILL_SIGN_PFX
}

# True when the environment names a certificate.
signing_configured() {
  [ -n "${QUILL_SIGN_PFX:-}" ] || { [ -n "${QUILL_SIGN_CERT:-}" ] && [ -n "${QUILL_SIGN_KEY:-}" ]; }
}

# Signs FILE in place (SHA-256, description "Quill").
sign_file() {
  local file=$1 signed="$1.signed"
  local -a identity
  if [ -n "${QUILL_SIGN_PFX:-}" ]; then
    identity=(-pkcs12 "$QUILL_SIGN_PFX")
  else
    identity=(-certs "$QUILL_SIGN_CERT" -key "$QUILL_SIGN_KEY")
  fi
  [ -n "${QUILL_SIGN_PASSWORD:-}" ] && identity+=(-pass "$QUILL_SIGN_PASSWORD")
  rm -f "$signed"
  if ! osslsigncode sign "${identity[@]}" -h sha256 -n "Quill" -in "$file" -out "$signed" \
    >/dev/null 2>"$signed.err"; then
    echo "signing failed: $file" >&2
    cat "$signed.err" >&2
    rm -f "$signed" "$signed.err"
    return 1
  fi
  rm -f "$signed.err"
  mv "$signed" "$file"
}
