// The document's text for Qt, decoded in pieces straight into the QString: equal to
// decoding the bytes whole (with every line break made LF when asked), also where the
// pieces are cut in a text of several megabytes; and what a copy puts on the clipboard.
#include "edit/document_text.h"

#include <gtest/gtest.h>

#include <memory>

#include "edit/document_mime_data.h"

#include "support/qt_helpers.h"
#include "support/test_text.h"

using verlo::edit::documentText;

TEST(DocumentText, EqualsTheWholeTextDecodedAtOnce) {
    // Two-byte characters, a lone lead byte, breaks of all three kinds; then the same
    // repeated past several pieces, so that cuts fall everywhere.
    const std::string small = verlo::test::sjis(u"吾輩は猫である。\r\n名前は\rまだ\n\n無い") + "\x81" + "a\r";
    const std::string large = verlo::test::repeat(small + verlo::test::sjis(u"漢"), 150000);
    for (const std::string& bytes : {small, large}) {
        verlo::text::Document doc;
        doc.setText(bytes);
        for (std::size_t from : {std::size_t{0}, std::size_t{2}}) {
            const std::string part = bytes.substr(from);
            EXPECT_EQ(documentText(doc, from, bytes.size()), verlo::test::fromCp932(part));
            EXPECT_EQ(documentText(doc, from, bytes.size(), true),
                      verlo::test::fromCp932(verlo::text::convertLineBreaks(part, "\n")));
        }
        EXPECT_EQ(documentText(doc, 3, 3), QString());
    }
}

// What a copy leaves on the clipboard: the selection as it was when copied, whatever the
// document does next, as plain text only with LF breaks; UTF-8 for another program (the X11
// clipboard asks for the bytes); and, with a stand-in in the document, what the stand-in
// stands for.
TEST(DocumentText, ClipboardDataHoldsTheSelectionAsCopied) {
    const std::string bytes = verlo::test::sjis(u"吾輩は猫\r\nである\r名前\nは");
    verlo::text::Document doc;
    doc.setText(bytes);
    const std::unique_ptr<QMimeData> mime(verlo::edit::DocumentMimeData::make(doc, 2, bytes.size() - 2));
    const QString expected = QString::fromUtf8("輩は猫\nである\n名前\n");
    doc.replace(0, doc.length(), "changed", verlo::text::EditKind::Edit);
    EXPECT_EQ(mime->formats(), QStringList{"text/plain"});
    EXPECT_TRUE(mime->hasText());
    EXPECT_EQ(mime->text(), expected);
    EXPECT_EQ(mime->data("text/plain"), expected.toUtf8());
    EXPECT_EQ(mime->text(), expected) << "asked again";

    const unsigned code = doc.standIns().codeFor(U"한");
    const std::string standIn{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
    doc.setText("a" + standIn + "\r\nb");
    const std::unique_ptr<QMimeData> withStandIn(verlo::edit::DocumentMimeData::make(doc, 0, doc.length()));
    doc.setText("x");
    EXPECT_EQ(withStandIn->text(), QString::fromUtf8("a한\nb"));
}
