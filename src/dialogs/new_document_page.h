// The options dialog's page "新規文書": the encoding and the line break new documents take
// (Settings::Encoding and Settings::LineBreak, kept as the ids of files/text_format.h). A
// stored id this program does not know shows as the default and stays as stored until OK.
#pragma once

#include <QWidget>

class QComboBox;

namespace verlo::settings {
struct Settings;
}

namespace verlo::dialogs {

class NewDocumentPage : public QWidget {
    Q_OBJECT
public:
    explicit NewDocumentPage(QWidget* parent = nullptr);

    void load(const settings::Settings& settings);
    void takeInto(settings::Settings& settings) const;

    QComboBox* encodingBox;   // 文字コード
    QComboBox* lineBreakBox;  // 改行コード
};

}  // namespace verlo::dialogs
