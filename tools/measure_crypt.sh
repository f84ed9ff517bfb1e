#!/usr/bin/env bash
# Measures the command line's --encrypt and --decrypt as whole programs against openssl enc
# with the same cipher (AES-192 in 8-bit CFB, the key SHA-1 of the key text and four zero
# bytes, the initial vector the encryption of 16 zero bytes, Base64 on one line), on the
# same file, in the same run:
#   tools/measure_crypt.sh [FILE] [VERLO] [RUNS]
# FILE defaults to the 20 MB novel that bench_app_startup leaves in $TMPDIR; VERLO to
# build/verlo; RUNS to 5. Prints the median wall time, CPU time (user + system) and peak
# resident memory of each command, and the ratio of the wall times. The encrypted text and the decrypted file are
# checked against openssl's (the decrypted text must be the file again).
set -euo pipefail
file=${1:-${TMPDIR:-/tmp}/verlo-novel-20mb.txt}
verlo=${2:-build/verlo}
runs=${3:-5}
[ -f "$file" ] || { echo "no file $file" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf 'measure-key\n' > "$work/key"
key=$(printf 'measure-key' | openssl sha1 -r | cut -c1-40)00000000
iv=$(head -c 16 /dev/zero | openssl enc -aes-192-ecb -K "$key" -nopad | od -An -tx1 | tr -d ' \n')

# median of the numbers on standard input
median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# run NAME OUT COMMAND...: RUNS runs, output to OUT; prints "seconds kib cpu" medians.
run() {
  local name=$1 out=$2; shift 2
  : > "$work/$name.times"
  for _ in $(seq "$runs"); do
    /usr/bin/time -f '%e %M %U %S' -o "$work/t" "$@" > "$out"
    cat "$work/t" >> "$work/$name.times"
  done
  echo "$(cut -d' ' -f1 "$work/$name.times" | median) $(cut -d' ' -f2 "$work/$name.times" | median)" \
    "$(awk '{print $3 + $4}' "$work/$name.times" | median)"
}

ossl_enc=$(run ossl_enc "$work/ossl.b64" openssl enc -aes-192-cfb8 -K "$key" -iv "$iv" -a -A -in "$file")
verlo_enc=$(run verlo_enc "$work/verlo.b64" "$verlo" --encrypt --key-file "$work/key" "$file")
ossl_dec=$(run ossl_dec "$work/ossl.plain" openssl enc -d -aes-192-cfb8 -K "$key" -iv "$iv" -a -A -in "$work/ossl.b64")
verlo_dec=$(run verlo_dec "$work/verlo.plain" "$verlo" --decrypt --key-file "$work/key" "$work/verlo.b64")

cmp -s "$work/ossl.plain" "$file" || echo "openssl's decryption differs from the file" >&2
cmp -s "$work/verlo.plain" "$file" || echo "verlo's decryption differs from the file (not Shift-JIS?)" >&2
# verlo encrypts four check characters before the text: its Base64 differs from openssl's,
# but its decryption without the check must give the text.
base64 -d < "$work/verlo.b64" | openssl enc -d -aes-192-cfb8 -K "$key" -iv "$iv" | tail -c +5 | cmp -s - "$file" ||
  echo "verlo's encrypted text is not the file under the same cipher" >&2

printf '%s, %d runs, medians\n' "$(basename "$file") ($(($(stat -c %s "$file") / 1048576)) MiB)" "$runs"
printf '%-18s %8s %8s %10s %8s\n' command seconds 'cpu s' 'peak MiB' ratio
line() {
  printf '%-18s %8.3f %8.3f %10.1f %8s\n' "$1" "$(cut -d' ' -f1 <<<"$2")" "$(cut -d' ' -f3 <<<"$2")" \
    "$(awk '{print $2 / 1024}' <<<"$2")" "$3"
}
ratio() { awk -v a="$(cut -d' ' -f1 <<<"$1")" -v b="$(cut -d' ' -f1 <<<"$2")" 'BEGIN {printf "%.2f", (b > 0 ? a / b : 0)}'; }
line "openssl enc" "$ossl_enc" ""
line "verlo --encrypt" "$verlo_enc" "$(ratio "$verlo_enc" "$ossl_enc")"
line "openssl enc -d" "$ossl_dec" ""
line "verlo --decrypt" "$verlo_dec" "$(ratio "$verlo_dec" "$ossl_dec")"
