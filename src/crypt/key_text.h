// A key as the user types it (Unicode: the key box, a key file, the terminal) made into the
// code page's bytes that the cipher takes. Nothing is substituted: a key with characters the
// code page cannot hold is refused, and the caller says which.
#pragma once

#include <QString>
#include <string>

namespace verlo::crypt {

struct KeyBytes {
    std::string bytes;    // the key in CP932, when every character could be encoded
    QString unencodable;  // otherwise each character that could not, once, in order
    bool ok() const { return unencodable.isEmpty(); }
};

KeyBytes keyBytesFromText(const QString& key);

// The message for a refused key, naming its characters.
QString unencodableKeyMessage(const QString& characters);

}  // namespace verlo::crypt
