// The document's text for Qt, decoded in pieces straight into the QString: equal to
// decoding the bytes whole (with every line break made CR LF when asked), also where the
// pieces are cut in a text of several megabytes.
#include "edit/document_text.h"

#include <gtest/gtest.h>

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
            EXPECT_EQ(documentText(doc, from, bytes.size(), true), verlo::test::fromCp932(verlo::text::toCrLf(part)));
        }
        EXPECT_EQ(documentText(doc, 3, 3), QString());
    }
}
