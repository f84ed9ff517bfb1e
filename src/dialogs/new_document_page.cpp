#include "dialogs/new_document_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>

#include "files/text_format.h"
#include "settings/settings.h"

namespace verlo::dialogs {

NewDocumentPage::NewDocumentPage(QWidget* parent)
    : QWidget(parent), encodingBox(new QComboBox(this)), lineBreakBox(new QComboBox(this)) {
    setObjectName(QStringLiteral("NewDocumentPage"));
    encodingBox->setObjectName(QStringLiteral("EncodingBox"));
    lineBreakBox->setObjectName(QStringLiteral("LineBreakBox"));
    for (files::Encoding e : files::kEncodings)
        encodingBox->addItem(files::encodingCaption(e), QString::fromLatin1(files::encodingId(e)));
    for (files::LineBreak b : files::kLineBreaks)
        lineBreakBox->addItem(files::lineBreakCaption(b), QString::fromLatin1(files::lineBreakId(b)));

    auto* encodingLabel = new QLabel(QStringLiteral("文字コード(&E)"), this);
    auto* lineBreakLabel = new QLabel(QStringLiteral("改行コード(&L)"), this);
    encodingLabel->setBuddy(encodingBox);
    lineBreakLabel->setBuddy(lineBreakBox);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 6, 8, 4);
    grid->setVerticalSpacing(4);
    grid->addWidget(new QLabel(QStringLiteral("新しく作る文書の保存のしかた"), this), 0, 0, 1, 2);
    grid->addWidget(encodingLabel, 1, 0);
    grid->addWidget(encodingBox, 1, 1);
    grid->addWidget(lineBreakLabel, 2, 0);
    grid->addWidget(lineBreakBox, 2, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);
}

void NewDocumentPage::load(const settings::Settings& settings) {
    const files::Encoding encoding = files::encodingFromId(settings.Encoding).value_or(files::Encoding::ShiftJis);
    const files::LineBreak lineBreak = files::lineBreakFromId(settings.LineBreak).value_or(files::LineBreak::CrLf);
    encodingBox->setCurrentIndex(encodingBox->findData(QString::fromLatin1(files::encodingId(encoding))));
    lineBreakBox->setCurrentIndex(lineBreakBox->findData(QString::fromLatin1(files::lineBreakId(lineBreak))));
}

void NewDocumentPage::takeInto(settings::Settings& settings) const {
    // An id the program does not know is left as stored unless the choice was changed.
    const auto shownEncoding = files::encodingFromId(settings.Encoding).value_or(files::Encoding::ShiftJis);
    const auto shownLineBreak = files::lineBreakFromId(settings.LineBreak).value_or(files::LineBreak::CrLf);
    const std::string encoding = encodingBox->currentData().toString().toStdString();
    const std::string lineBreak = lineBreakBox->currentData().toString().toStdString();
    if (files::encodingFromId(encoding) != shownEncoding) settings.Encoding = encoding;
    if (files::lineBreakFromId(lineBreak) != shownLineBreak) settings.LineBreak = lineBreak;
}

}  // namespace verlo::dialogs
