// The document's bytes as a writer reads them, a stretch at a time, so that saving a large
// text never copies it whole: from one string (a stretch is a view of it) or from a Document
// (its blocks copied into the reader's buffer). A Document is read on one thread only.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

#include "text/document.h"

namespace verlo::files {

class DocumentBytes {
public:
    DocumentBytes(std::string_view bytes) : bytes_(bytes), size_(bytes.size()) {}  // NOLINT: a string is such bytes
    DocumentBytes(const std::string& bytes) : DocumentBytes(std::string_view(bytes)) {}  // NOLINT
    explicit DocumentBytes(const text::Document& doc) : doc_(&doc), size_(doc.length()) {}

    std::size_t size() const { return size_; }
    // [pos, pos + n), clamped to the end: in place, or copied into buffer (which only grows).
    std::string_view read(std::size_t pos, std::size_t n, std::string& buffer) const {
        pos = std::min(pos, size_);
        n = std::min(n, size_ - pos);
        if (!doc_) return bytes_.substr(pos, n);
        if (buffer.size() < n) buffer.resize(n);
        return {buffer.data(), doc_->copy(pos, n, buffer.data())};
    }

private:
    std::string_view bytes_;
    const text::Document* doc_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace verlo::files
