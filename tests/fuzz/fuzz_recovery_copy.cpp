// Recovery copies read from any bytes: never a crash, and whatever reads as a copy writes
// back to bytes that read as the same copy.
#include <string_view>

#include "fuzz_check.h"
#include "recovery/recovery_copy.h"

using namespace verlo::recovery;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (const auto copy = parseCopy(bytes)) {
        FUZZ_CHECK(copy->caret <= copy->text.size());
        FUZZ_CHECK(parseCopy(serializeCopy(*copy)) == copy);
    }
    // Any bytes as a text (and as a path) come back whole.
    RecoveryCopy made;
    made.path = std::string(bytes.substr(0, size / 3));
    made.text = std::string(bytes.substr(size / 3));
    made.caret = made.text.size();
    const std::string serialized = serializeCopy(made);
    FUZZ_CHECK(parseCopy(serialized) == made);
    FUZZ_CHECK(!parseCopy(std::string_view(serialized).substr(0, serialized.size() - 1)));
    return 0;
}
