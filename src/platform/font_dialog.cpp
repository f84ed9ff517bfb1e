#include "platform/font_dialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>
#include <array>

namespace verlo::platform {

namespace {

struct BasicColor {
    const char* name;
    QRgb rgb;
};

constexpr std::array<BasicColor, 16> kBasicColors{{
    {"黒", 0x000000}, {"マルーン", 0x800000}, {"緑", 0x008000}, {"オリーブ", 0x808000},
    {"ネイビー", 0x000080}, {"紫", 0x800080}, {"ティール", 0x008080}, {"灰色", 0x808080},
    {"シルバー", 0xC0C0C0}, {"赤", 0xFF0000}, {"ライム", 0x00FF00}, {"黄", 0xFFFF00},
    {"青", 0x0000FF}, {"フクシア", 0xFF00FF}, {"水色", 0x00FFFF}, {"白", 0xFFFFFF},
}};

QIcon swatch(const QColor& c) {
    QPixmap pm(24, 12);
    pm.fill(c);
    return QIcon(pm);
}

// The family as the font list names it: the font's own family when the list holds it,
// otherwise the face the font resolves to.
QString shownFamily(const QFont& font) {
    const QStringList families = QFontDatabase::families();
    if (families.contains(font.family(), Qt::CaseInsensitive))
        return font.family();
    return QFontInfo(font).family();
}

// Enter that the chooser would swallow (a dialog without buttons of its own keeps the key
// when no default button takes it: typed into the size field, say) accepts the whole dialog.
class EnterAccepts : public QObject {
public:
    EnterAccepts(QDialog* chooser, QDialog* dialog) : QObject(chooser), dialog_(dialog) { chooser->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
            if (enter && mods == Qt::NoModifier) {
                dialog_->accept();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QDialog* dialog_;
};

}  // namespace

std::optional<FontChoice> runFontDialog(QWidget* owner, const FontChoice& initial) {
    QDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("フォント"));
    auto* layout = new QVBoxLayout(&dialog);

    // A name the font list does not hold (such as "ＭＳ ゴシック", drawn through a
    // substitution) is offered as the face that draws it, not as the list's default face.
    const QString shown = shownFamily(initial.font);
    QFont offered = initial.font;
    offered.setFamily(shown);
    auto* chooser = new QFontDialog(offered, &dialog);
    chooser->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    chooser->setWindowFlags(Qt::Widget);
    // The chooser is a dialog of its own: Enter in its lists accepts it and Esc rejects it,
    // which would only hide it inside this one. They answer this dialog instead.
    QObject::connect(chooser, &QDialog::accepted, &dialog, &QDialog::accept);
    QObject::connect(chooser, &QDialog::rejected, &dialog, &QDialog::reject);
    new EnterAccepts(chooser, &dialog);
    layout->addWidget(chooser);

    auto* colorRow = new QHBoxLayout;
    auto* colorLabel = new QLabel(QStringLiteral("色(&C):"), &dialog);
    auto* colors = new QComboBox(&dialog);
    colorLabel->setBuddy(colors);
    int selected = -1;
    for (const auto& c : kBasicColors) {
        const QColor color = QColor::fromRgb(c.rgb);
        colors->addItem(swatch(color), QString::fromUtf8(c.name), color);
        if (color.rgb() == initial.color.rgb())
            selected = colors->count() - 1;
    }
    if (selected < 0) {
        // A colour chosen elsewhere stays on offer as it is.
        colors->addItem(swatch(initial.color), QStringLiteral("カスタム"), initial.color);
        selected = colors->count() - 1;
    }
    colors->setCurrentIndex(selected);
    colorRow->addWidget(colorLabel);
    colorRow->addWidget(colors, 1);
    layout->addLayout(colorRow);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    QFont chosen = chooser->currentFont();
    // The face left as offered keeps the name it had.
    if (chosen.family() == shown)
        chosen.setFamily(initial.font.family());
    return FontChoice{chosen, colors->currentData().value<QColor>()};
}

}  // namespace verlo::platform
