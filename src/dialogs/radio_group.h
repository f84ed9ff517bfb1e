// A titled group of radio buttons, one of which is selected, laid out in columns filled
// top to bottom.
#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

namespace verlo::dialogs {

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& title, const QStringList& items, int columns, QWidget* parent = nullptr);

    int count() const { return static_cast<int>(buttons_.size()); }
    // The selected item's index, -1 when none is.
    int itemIndex() const;
    // Selects item index; an index outside the items selects none.
    void setItemIndex(int index);
    QRadioButton* button(int index) const { return buttons_.value(index); }

private:
    QButtonGroup* group_;
    QList<QRadioButton*> buttons_;
};

}  // namespace verlo::dialogs
