#include "edit/document_mime_data.h"

#include <algorithm>

#include "edit/document_text.h"

namespace verlo::edit {

namespace {

QString plainText() { return QStringLiteral("text/plain"); }

}  // namespace

QMimeData* DocumentMimeData::make(const text::Document& doc, std::size_t from, std::size_t to, bool crLf) {
    if (!doc.standIns().empty()) {  // decoded now: the table may change before a paste
        auto* mime = new QMimeData;
        mime->setText(documentText(doc, from, to, crLf));
        return mime;
    }
    to = std::min(to, doc.length());
    return new DocumentMimeData(from < to ? doc.slice(from, to - from) : std::string(), crLf);
}

DocumentMimeData::DocumentMimeData(std::string bytes, bool crLf) : bytes_(std::move(bytes)), crLf_(crLf) {}

bool DocumentMimeData::hasFormat(const QString& mimeType) const { return mimeType == plainText(); }

QStringList DocumentMimeData::formats() const { return {plainText()}; }

QVariant DocumentMimeData::retrieveData(const QString& mimeType, QMetaType) const {
    if (mimeType != plainText()) return {};
    if (!decoded_) {
        text_ = decodedText(bytes_, crLf_);
        std::string().swap(bytes_);
        decoded_ = true;
    }
    return text_;
}

}  // namespace verlo::edit
