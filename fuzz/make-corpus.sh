#!/usr/bin/env bash
# Makes the seed corpora in fuzz/corpus/ and the fuzz key fuzz/fuzz-key.pem with the openssl
# tool (and iconv for Big5), from nothing but the stand-in service's demo keys. The result is
# committed; run this again only to change the seeds. Keys and certificates made here are
# throw-away test material.
set -euo pipefail
cd "$(dirname "$0")"
demo=../regsvc/demo
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -rf corpus
mkdir -p corpus/{answer,pkcs12,certificate,properties,subject,template}

# --- keys and certificates -------------------------------------------------------------------
[ -f fuzz-key.pem ] || openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out fuzz-key.pem
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/ca.key" -out "$work/ca.pem" -days 30 \
    -subj "/CN=Fuzz Root CA/O=Fuzz Bank/C=TW" -addext basicConstraints=critical,CA:TRUE 2>/dev/null
printf 'basicConstraints=CA:FALSE\n' >"$work/user.ext"
# issue NAME SUBJECT SERIAL DAYS: a certificate of the fuzz key
issue() {
    openssl req -new -utf8 -key fuzz-key.pem -subj "$2" -out "$work/$1.csr"
    openssl x509 -req -in "$work/$1.csr" -CA "$work/ca.pem" -CAkey "$work/ca.key" \
        -set_serial "$3" -days "$4" -extfile "$work/user.ext" -out "$work/$1.pem" 2>/dev/null
    openssl x509 -in "$work/$1.pem" -outform DER -out "$work/$1.der"
}
issue plain "/CN=A123456789-00/OU=RA/O=Bank/L=Taipei/ST=TW/C=TW" 0x012A 365
issue negative "/CN=B223456789-00" -5 30
issue longserial "/CN=C323456789-00/O=Bank" 0x0102030405060708090A0B0C0D0E0F1011121314 30
issue farfuture "/CN=D423456789-00" 7 20000   # GeneralizedTime after 2049
issue hostile "/CN=A1<!--<script>\"\\\\x/O=\$1 Co" 9 30
wide=$(printf '\xf0\xa0\x80\x80%.0s' $(seq 64))  # 64 characters of 4 bytes: 256 bytes
issue wide "/CN=$wide" 10 30
issue big5 "/CN=王小明-00/O=元大" 11 30

for name in plain negative longserial farfuture hostile wide big5; do
    cp "$work/$name.der" "corpus/certificate/$name.der"
done
openssl crl2pkcs7 -nocrl -certfile "$work/ca.pem" -certfile "$work/plain.pem" -outform DER \
    -out corpus/certificate/bundle.p7b
openssl crl2pkcs7 -nocrl -certfile "$work/wide.pem" -outform DER -out corpus/certificate/bundle-one.p7b

# --- PFX files under the password "fuzz"; first byte 0: as is, 1: MAC made again ------------
pfx() {  # NAME CERT [openssl pkcs12 options...]
    local name=$1 cert=$2
    shift 2
    openssl pkcs12 -export -inkey fuzz-key.pem -in "$work/$cert.pem" -passout pass:fuzz \
        -out "$work/$name.p12" "$@"
    { printf '\x00'; cat "$work/$name.p12"; } >"corpus/pkcs12/$name"
    { printf '\x01'; cat "$work/$name.p12"; } >"corpus/pkcs12/$name.remac"
}
pfx legacy plain -legacy
pfx modern plain
pfx chain plain -legacy -certfile "$work/ca.pem"
pfx wide wide -legacy -name "wide"
openssl pkcs12 -export -nokeys -in "$work/plain.pem" -passout pass:fuzz -legacy -out "$work/nokey.p12"
{ printf '\x00'; cat "$work/nokey.p12"; } >corpus/pkcs12/nokey

# --- service answers ----------------------------------------------------------------------------
answers=(
    '<?xml version="1.0" encoding="Big5"?><Root><rtnCode>0</rtnCode><rtnMsg></rtnMsg><aeskey>0123456789ABCDEF0123456789ABCDEF</aeskey><sessionId>5F3A</sessionId><cn>A123456789-00</cn><custType>S</custType></Root>'
    '<?xml version="1.0" encoding="Big5"?><Root><rtnCode>0</rtnCode><rtnMsg/><fnStatus>10</fnStatus><certCount>1</certCount><effectCertCount>1</effectCertCount></Root>'
    '<?xml version="1.0" encoding="Big5"?><Root><rtnCode>0</rtnCode><rtnMsg/><cert>MIIB</cert><certInfo><certId>7</certId><serial>1F</serial><notBefore>20240101000000Z</notBefore></certInfo></Root>'
    '<?xml version="1.0" encoding="Big5"?><Root><rtnCode>997</rtnCode><rtnMsg>您為期貨客戶，將改由期貨系統登入</rtnMsg></Root>'
    '<Root><rtnCode><![CDATA[0]]></rtnCode><default.macPfxFilePath>#userHome#\</default.macPfxFilePath><default.pfxFileName>#userId#_#custType#.pfx</default.pfxFileName><depCert.mode>M</depCert.mode></Root>'
    '<!DOCTYPE Root [<!ENTITY a "aaaaaaaaaa"><!ENTITY b "&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;">]><Root><rtnCode>0</rtnCode><rtnMsg>&b;&b;&b;</rtnMsg></Root>'
    '<Root xmlns:x="urn:x"><x:rtnCode>1</x:rtnCode><rtnMsg>&lt;&amp;&#x4E2D;</rtnMsg></Root>'
)
key_hex=$(printf 'FuzzSessionKey16' | od -An -tx1 | tr -d ' \n')
iv_hex=$(printf '5820931746028531' | od -An -tx1 | tr -d ' \n')
i=0
for xml in "${answers[@]}"; do
    i=$((i + 1))
    printf '%s' "$xml" | iconv -f UTF-8 -t BIG5 >"$work/a$i.big5"
    { printf '\x03'; printf '%s' "$xml"; } >"corpus/answer/text-$i"
    { printf '\x00'; cat "$work/a$i.big5"; } >"corpus/answer/sealed-$i"
    { printf '\x01'; openssl enc -aes-128-cbc -K "$key_hex" -iv "$iv_hex" -in "$work/a$i.big5" | base64 -w0; } \
        >"corpus/answer/session-$i"
    # The public-key envelope: 245-byte pieces, each a raw PKCS#1 type-1 operation of the
    # service's private key.
    split -b 245 -d "$work/a$i.big5" "$work/a$i.piece."
    : >"$work/a$i.sealed"
    for piece in "$work/a$i.piece."*; do
        openssl rsautl -sign -pkcs -inkey "$demo/demo-service.key" -in "$piece" \
            >>"$work/a$i.sealed" 2>/dev/null
    done
    { printf '\x02'; base64 -w0 "$work/a$i.sealed"; } >"corpus/answer/public-$i"
done

# --- properties stores ------------------------------------------------------------------------
printf '%s' 4B2F9A0C71D35E86A4C0193B7E5D2F68 >"$work/material"
des_key=$(openssl dgst -md5 -r "$work/material" | cut -c1-32)
cipher() { printf '%s' "$1" | openssl enc -des-ede-cbc -K "$des_key" -iv 0000000000000000 -base64 -A; }
printf 'A123456789_PfxFileName=/home/a/A123456789_S.pfx\nA123456789_Password=%s\n' \
    "$(cipher A123456789)" >corpus/properties/one-user
printf 'A_PfxFileName=/p/a=b.pfx\r\nA_Password=%s\r\nB_PfxFileName=/p/B.pfx\r\nB_Password=%s\r\nother=1\r\n' \
    "$(cipher 12345678)" "$(cipher '密碼Pass!')" >corpus/properties/two-users-crlf
printf 'k=v\xe2\x80\xa8k2=v2\x0bjunk\nx=A_PfxFileName=y\nC_Password=not base64!\n' >corpus/properties/odd-lines
cipher secret | base64 -d >corpus/properties/raw-cipher

# --- subjects: what the certificates and the service write ------------------------------------
subject_of() { openssl x509 -in "$work/$1.pem" -noout -subject -nameopt "$2" | sed 's/^subject=//'; }
{ subject_of plain RFC2253; printf '\0'; subject_of plain oneline,-space_eq; } >corpus/subject/rfc2253-vs-oneline
{ printf 'CN=A123456789-00, OU=RA, O=Bank, C=TW'; printf '\0'; printf 'C=TW,OU=RA,O=Bank,CN=A123456789-00'; } \
    >corpus/subject/reordered
{ printf 'CN=A, S=Taipei'; printf '\0'; printf 'CN=A, ST=Taipei'; } >corpus/subject/s-st
printf 'O=Foo, Inc., CN=x\xe3\x80\x80= y' >corpus/subject/comma-in-value
{ printf 'CN=A,'; printf ' %.0s' $(seq 300); printf 'OU=B'; } >corpus/subject/blanks
printf 'no pairs here' >corpus/subject/no-pairs
{ subject_of big5 RFC2253; printf '\0'; subject_of big5 'utf8,sep_comma_plus_space'; } >corpus/subject/chinese

# --- deployment pages: template, then the nine values ----------------------------------------
values() {  # CERT: cn, serial, issuer, subject, notBefore, notAfter, certHash, p12, cert
    local cert=$work/$1.pem
    subject_of "$1" 'sep_comma_plus,utf8' | sed -n 's/.*CN=\([^,]*\).*/\1/p' | tr -d '\n'
    printf '\0%s' "$(openssl x509 -in "$cert" -noout -serial | cut -d= -f2)"
    printf '\0%s' "$(openssl x509 -in "$cert" -noout -issuer -nameopt sep_comma_plus_space | sed 's/^issuer=//')"
    printf '\0%s' "$(subject_of "$1" sep_comma_plus_space)"
    printf '\0%s' 20240101080000 20250101080000
    printf '\0%s' "$(openssl x509 -in "$cert" -noout -fingerprint -sha1 | cut -d= -f2 | tr -d :)"
    printf '\0%s' "$(head -c 120 "$work/legacy.p12" | base64 -w0)"
    printf '\0%s' "$(openssl x509 -in "$cert" -outform DER | base64 -w0)"
}
iconv -f UTF-8 -t BIG5 "$demo/template.html" >"$work/template.big5"
{ cat "$work/template.big5"; printf '\0'; values plain; } >corpus/template/demo-template
{ printf '<script>#importCertInfo#</script>'; printf '\0'; values hostile; } >corpus/template/hostile-cn
{ printf '#importCertInfo##importCertInfo#$1\\'; printf '\0'; printf 'a\nb\rc\xe2\x80\xa8d"e\\f</g'; } \
    >corpus/template/escapes

echo "corpora:"; for d in corpus/*; do echo "  $d: $(ls "$d" | wc -l) files"; done
