#include "print/page_setup.h"

#include <QByteArray>
#include <QStringList>
#include <QUrl>

namespace verlo::print {
namespace {

PageSetup contest40x30() { return PageSetup{}; }

PageSetup manuscript20x20() {
    PageSetup s;
    s.chars = 20;
    s.lines = 20;
    s.grid = true;
    s.marginTop = 20;
    s.marginBottom = 20;
    s.marginLeft = 30;
    s.marginRight = 30;
    return s;
}

PageSetup portrait42x34() {
    PageSetup s;
    s.landscape = false;
    s.vertical = false;
    s.chars = 42;
    s.lines = 34;
    s.marginTop = 30;
    s.marginBottom = 30;
    s.marginLeft = 25;
    s.marginRight = 25;
    return s;
}

struct Place {
    NumberPlace place;
    const char* name;
};
constexpr Place kPlaces[] = {{NumberPlace::None, "none"},
                             {NumberPlace::BottomCentre, "bottom-centre"},
                             {NumberPlace::BottomOutside, "bottom-outside"},
                             {NumberPlace::TopOutside, "top-outside"}};

QString encoded(const QString& value) { return QString::fromLatin1(QUrl::toPercentEncoding(value, "-/()")); }
QString decoded(const QString& value) { return QUrl::fromPercentEncoding(value.toLatin1()); }

std::optional<int> whole(const QString& v, int low, int high) {
    bool ok = false;
    const int n = v.toInt(&ok);
    if (!ok || n < low || n > high) return std::nullopt;
    return n;
}

std::optional<double> number(const QString& v, double low, double high) {
    bool ok = false;
    const double n = v.toDouble(&ok);
    if (!ok || !(n >= low && n <= high)) return std::nullopt;
    return n;
}

std::optional<bool> flag(const QString& v) {
    if (v == QLatin1String("1")) return true;
    if (v == QLatin1String("0")) return false;
    return std::nullopt;
}

QString num(double v) { return QString::number(v, 'g', 6); }

}  // namespace

QSizeF PageSetup::paperPoints() const {
    const QSizeF size = QPageSize::size(paper, QPageSize::Point);
    return landscape ? size.transposed() : size;
}

const std::vector<Paper>& papers() {
    static const std::vector<Paper> list = {{QPageSize::A4, "A4"},       {QPageSize::A5, "A5"},
                                            {QPageSize::A3, "A3"},       {QPageSize::JisB5, "B5"},
                                            {QPageSize::JisB4, "B4"},    {QPageSize::Letter, "Letter"}};
    return list;
}

const std::vector<Preset>& presets() {
    static const std::vector<Preset> list = {
        {QStringLiteral("40字×30行 A4横 縦書き"), QStringLiteral("40x30"), contest40x30()},
        {QStringLiteral("20字×20行 原稿用紙 A4横 縦書き"), QStringLiteral("20x20"), manuscript20x20()},
        {QStringLiteral("42字×34行 A4縦 横書き"), QStringLiteral("42x34"), portrait42x34()},
    };
    return list;
}

QString toText(const PageSetup& s) {
    QString paper = QStringLiteral("A4");
    for (const Paper& p : papers())
        if (p.id == s.paper) paper = QString::fromLatin1(p.name);
    QString place;
    for (const Place& p : kPlaces)
        if (p.place == s.numbers) place = QString::fromLatin1(p.name);
    const QStringList pairs = {
        QStringLiteral("paper:") + paper,
        QStringLiteral("landscape:") + QString::number(s.landscape ? 1 : 0),
        QStringLiteral("vertical:") + QString::number(s.vertical ? 1 : 0),
        QStringLiteral("chars:") + QString::number(s.chars),
        QStringLiteral("lines:") + QString::number(s.lines),
        QStringLiteral("font:") + encoded(s.fontFamily),
        QStringLiteral("size:") + num(s.fontSize),
        QStringLiteral("margins:") + QStringList{num(s.marginTop), num(s.marginBottom), num(s.marginLeft),
                                                 num(s.marginRight)}.join(u'/'),
        QStringLiteral("numbers:") + place,
        QStringLiteral("numberFormat:") + encoded(s.numberFormat),
        QStringLiteral("title:") + QString::number(s.titleLines ? 1 : 0),
        QStringLiteral("author:") + encoded(s.author),
        QStringLiteral("grid:") + QString::number(s.grid ? 1 : 0),
        QStringLiteral("hang:") + QString::number(s.hang ? 1 : 0),
    };
    return pairs.join(u' ');
}

PageSetup fromText(const QString& text) {
    PageSetup s;
    for (const QString& pair : text.split(u' ', Qt::SkipEmptyParts)) {
        const qsizetype eq = pair.indexOf(u':');
        if (eq < 0) continue;
        const QString key = pair.left(eq).trimmed();
        const QString v = pair.mid(eq + 1);
        if (key == QLatin1String("paper")) {
            for (const Paper& p : papers())
                if (v == QLatin1String(p.name)) s.paper = p.id;
        } else if (key == QLatin1String("landscape")) {
            s.landscape = flag(v).value_or(s.landscape);
        } else if (key == QLatin1String("vertical")) {
            s.vertical = flag(v).value_or(s.vertical);
        } else if (key == QLatin1String("chars")) {
            s.chars = whole(v, 1, kMaxChars).value_or(s.chars);
        } else if (key == QLatin1String("lines")) {
            s.lines = whole(v, 1, kMaxLines).value_or(s.lines);
        } else if (key == QLatin1String("font")) {
            s.fontFamily = decoded(v);
        } else if (key == QLatin1String("size")) {
            s.fontSize = number(v, 0, 200).value_or(s.fontSize);
        } else if (key == QLatin1String("margins")) {
            const QStringList m = v.split(u'/');
            if (m.size() != 4) continue;
            std::optional<double> values[4];
            for (int i = 0; i < 4; ++i) values[i] = number(m[i], 0, 200);
            if (!values[0] || !values[1] || !values[2] || !values[3]) continue;
            s.marginTop = *values[0];
            s.marginBottom = *values[1];
            s.marginLeft = *values[2];
            s.marginRight = *values[3];
        } else if (key == QLatin1String("numbers")) {
            for (const Place& p : kPlaces)
                if (v == QLatin1String(p.name)) s.numbers = p.place;
        } else if (key == QLatin1String("numberFormat")) {
            s.numberFormat = decoded(v);
        } else if (key == QLatin1String("title")) {
            s.titleLines = flag(v).value_or(s.titleLines);
        } else if (key == QLatin1String("author")) {
            s.author = decoded(v);
        } else if (key == QLatin1String("grid")) {
            s.grid = flag(v).value_or(s.grid);
        } else if (key == QLatin1String("hang")) {
            s.hang = flag(v).value_or(s.hang);
        }
    }
    return s;
}

std::optional<PageSetup> applyFormat(const PageSetup& base, const QString& format) {
    for (const Preset& p : presets())
        if (format.compare(p.format, Qt::CaseInsensitive) == 0) {
            PageSetup s = p.setup;
            // The font stays the writer's choice.
            s.fontFamily = base.fontFamily;
            return s;
        }
    const QStringList parts = format.toLower().split(u'x');
    if (parts.size() != 2) return std::nullopt;
    const std::optional<int> chars = whole(parts[0], 1, kMaxChars);
    const std::optional<int> lines = whole(parts[1], 1, kMaxLines);
    if (!chars || !lines) return std::nullopt;
    PageSetup s = base;
    s.chars = *chars;
    s.lines = *lines;
    return s;
}

QString pageNumberText(const QString& format, int number) {
    QString text = format;
    text.replace(u'#', QString::number(number));
    return text;
}

}  // namespace verlo::print
