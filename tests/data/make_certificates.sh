#!/bin/sh
# Makes the certificates of the local HTTPS test server: a test certificate authority, a server
# certificate it signs for 127.0.0.1 and localhost, and a second, untrusted authority with a
# server certificate of its own. Valid for 100 years so the tests never age out.
set -e
cd "$(dirname "$0")"
days=36500

make_ca() { # name subject
    openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days $days \
        -subj "$2" -keyout "$1-key.pem" -out "$1.pem" \
        -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign
}

make_server() { # name ca
    openssl req -newkey rsa:2048 -nodes -sha256 -subj "/CN=localhost" \
        -keyout "$1-key.pem" -out "$1.csr"
    printf 'subjectAltName=IP:127.0.0.1,DNS:localhost\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n' > "$1.ext"
    openssl x509 -req -in "$1.csr" -CA "$2.pem" -CAkey "$2-key.pem" -CAcreateserial \
        -days $days -sha256 -extfile "$1.ext" -out "$1.pem"
    rm -f "$1.csr" "$1.ext" "$2.srl"
}

make_ca test-ca "/CN=Tobrik test CA"
make_server server test-ca
make_ca untrusted-ca "/CN=Tobrik untrusted CA"
make_server untrusted-server untrusted-ca
rm -f test-ca-key.pem untrusted-ca-key.pem
