#include "edit/document_mime_data.h"

#include <algorithm>

#include "edit/document_text.h"

namespace verlo::edit {

namespace {

QString plainText() { return QStringLiteral("text/plain"); }

}  // namespace

QMimeData* DocumentMimeData::make(const text::Document& doc, std::size_t from, std::size_t to) {
    if (!doc.standIns().empty()) {  // decoded now: the table may change before a paste
        auto* mime = new QMimeData;
        mime->setText(documentText(doc, from, to, true));
        return mime;
    }
    to = std::min(to, doc.length());
    return new DocumentMimeData(from < to ? doc.slice(from, to - from) : std::string());
}

DocumentMimeData::DocumentMimeData(std::string bytes) : bytes_(std::move(bytes)) {}

bool DocumentMimeData::hasFormat(const QString& mimeType) const { return mimeType == plainText(); }

QStringList DocumentMimeData::formats() const { return {plainText()}; }

QVariant DocumentMimeData::retrieveData(const QString& mimeType, QMetaType) const {
    if (mimeType != plainText()) return {};
    if (!decoded_) {
        text_ = decodedText(bytes_, true);
        std::string().swap(bytes_);
        decoded_ = true;
    }
    return text_;
}

}  // namespace verlo::edit
