#!/usr/bin/env bash
# make-test-certs.sh DIR: makes the tests' certificate authority and a server
# certificate for 127.0.0.1 that it signed:
#   DIR/ca.pem, DIR/ca-key.pem          "Orvu Test CA"
#   DIR/server.pem, DIR/server-key.pem  IP:127.0.0.1 and DNS:localhost
# server.pem holds the whole chain, the CA after the server's own certificate,
# as real servers send their intermediates: the browser engine trusts the CA by
# its key, which it can only see in a chain that carries it.
# Both keys are EC P-256 and both certificates are valid for ten years. Quiet on
# success; files that are already there and still good are kept as they are.
set -euo pipefail

[ $# -eq 1 ] || {
    echo "usage: $0 DIR" >&2
    exit 2
}
dir=$1
valid_days=3650
mkdir -p "$dir"

# The four files are there, the server certificate is the CA's, it still has a
# month to run, and its key is the one beside it.
certs_are_good() {
    local file
    for file in ca.pem ca-key.pem server.pem server-key.pem; do
        [ -s "$dir/$file" ] || return 1
    done
    openssl verify -CAfile "$dir/ca.pem" "$dir/server.pem" >/dev/null 2>&1 || return 1
    [ "$(grep -c 'BEGIN CERTIFICATE' "$dir/server.pem")" -eq 2 ] || return 1
    openssl x509 -in "$dir/server.pem" -noout -checkend $((30 * 86400)) >/dev/null 2>&1 || return 1
    [ "$(openssl x509 -in "$dir/server.pem" -noout -pubkey 2>/dev/null)" = \
        "$(openssl pkey -in "$dir/server-key.pem" -pubout 2>/dev/null)" ]
}

if certs_are_good; then
    # Nothing to make; newer times tell the build that the outputs are current.
    touch "$dir/ca.pem" "$dir/ca-key.pem" "$dir/server.pem" "$dir/server-key.pem"
    exit 0
fi

# Made in a scratch folder and moved in at the end, so that an interrupted run
# never leaves a mismatched set behind. openssl's chatter goes to a log that is
# shown only when a step fails.
work=$(mktemp -d "$dir/.make-test-certs.XXXXXX")
trap 'rm -rf "$work"' EXIT
log=$work/log

run() {
    if ! "$@" >>"$log" 2>&1; then
        echo "make-test-certs.sh: failed: $*" >&2
        cat "$log" >&2
        exit 1
    fi
}

new_key() {
    run openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$1"
}

random_serial() {
    echo "0x$(openssl rand -hex 16)"
}

cat >"$work/ca.ext" <<'EOF'
basicConstraints = critical, CA:TRUE, pathlen:0
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid:always
EOF

cat >"$work/server.ext" <<'EOF'
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = IP:127.0.0.1, DNS:localhost
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
EOF

new_key "$work/ca-key.pem"
run openssl req -new -key "$work/ca-key.pem" -subj "/O=Orvu/CN=Orvu Test CA" -out "$work/ca.csr"
run openssl x509 -req -in "$work/ca.csr" -signkey "$work/ca-key.pem" -sha256 \
    -days "$valid_days" -set_serial "$(random_serial)" -extfile "$work/ca.ext" \
    -out "$work/ca.pem"

new_key "$work/server-key.pem"
run openssl req -new -key "$work/server-key.pem" -subj "/O=Orvu/CN=127.0.0.1" \
    -out "$work/server.csr"
run openssl x509 -req -in "$work/server.csr" -CA "$work/ca.pem" -CAkey "$work/ca-key.pem" \
    -sha256 -days "$valid_days" -set_serial "$(random_serial)" -extfile "$work/server.ext" \
    -out "$work/server.pem"

run openssl verify -CAfile "$work/ca.pem" "$work/server.pem"
cat "$work/ca.pem" >>"$work/server.pem"

# The server key is a loopback-only test key that whoever runs the tests must read.
chmod 600 "$work/ca-key.pem"
chmod 644 "$work/ca.pem" "$work/server.pem" "$work/server-key.pem"
for file in ca-key.pem ca.pem server-key.pem server.pem; do
    mv -f "$work/$file" "$dir/$file"
done
