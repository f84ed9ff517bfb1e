// What a copy or a cut puts on the clipboard: plain text only, every line break as LF (as the
// programs of a Linux desktop expect, whatever breaks the document keeps). The selection's bytes are
// kept as they are and decoded when something first asks for the text (a paste, here or in
// another program), and only then: the text is kept from there on and the bytes let go. A
// copy of a large selection costs one copy of its bytes, and no conversion while the user
// waits.
#pragma once

#include <QMimeData>
#include <QString>
#include <cstddef>
#include <string>

#include "text/document.h"

namespace verlo::edit {

class DocumentMimeData : public QMimeData {
public:
    // [from, to) of doc (character boundaries), as documentText gives it with LF breaks.
    static QMimeData* make(const text::Document& doc, std::size_t from, std::size_t to);

    bool hasFormat(const QString& mimeType) const override;
    QStringList formats() const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    explicit DocumentMimeData(std::string bytes);

    mutable std::string bytes_;  // until decoded
    mutable QString text_;
    mutable bool decoded_ = false;
};

}  // namespace verlo::edit
