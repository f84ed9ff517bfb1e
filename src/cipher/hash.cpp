#include "cipher/hash.h"

#include <openssl/evp.h>

#include <new>

namespace verlo::cipher {

namespace {

const char kNotInitialized[] = "Hash not initialized";

std::unique_ptr<TDCP_hash> createSha1() { return std::make_unique<TDCP_sha1>(); }

}  // namespace

const TDCP_hashclass& TDCP_sha1::Class() {
    static const TDCP_hashclass sha1Class{"SHA1", kHashSize, &createSha1};
    return sha1Class;
}

TDCP_sha1::TDCP_sha1() : fContext(EVP_MD_CTX_new()) {
    if (!fContext) throw std::bad_alloc();
}

TDCP_sha1::~TDCP_sha1() { EVP_MD_CTX_free(fContext); }  // cleanses the digest state

void TDCP_sha1::Init() {
    Burn();
    if (EVP_DigestInit_ex(fContext, EVP_sha1(), nullptr) != 1) throw EDCP_hash("SHA-1 is not available");
    fInitialized = true;
}

void TDCP_sha1::Update(const void* data, std::size_t size) {
    if (!fInitialized) throw EDCP_hash(kNotInitialized);
    if (size == 0) return;
    if (EVP_DigestUpdate(fContext, data, size) != 1) throw EDCP_hash("SHA-1 failed");
}

void TDCP_sha1::Final(void* digest) {
    if (!fInitialized) throw EDCP_hash(kNotInitialized);
    const bool ok = EVP_DigestFinal_ex(fContext, static_cast<unsigned char*>(digest), nullptr) == 1;
    Burn();
    if (!ok) throw EDCP_hash("SHA-1 failed");
}

void TDCP_sha1::Burn() {
    EVP_MD_CTX_reset(fContext);
    fInitialized = false;
}

std::string sha1Digest(std::string_view bytes) {
    TDCP_sha1 hash;
    hash.Init();
    hash.UpdateStr(bytes);
    std::string digest(TDCP_sha1::kHashSize / 8, '\0');
    hash.Final(digest.data());
    return digest;
}

}  // namespace verlo::cipher
