#include "print/page_layout.h"

#include <QFileInfo>
#include <QFontInfo>

#include <QFontInfo>
#include <QPageLayout>
#include <algorithm>
#include <cmath>

#include "text/codec.h"
#include "typeset/line_break.h"

namespace verlo::print {
namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

std::unique_ptr<typeset::Typesetter> typesetterAt(const QString& family, int pixels, typeset::Writing writing,
                                               const text::StandIns* standIns = nullptr) {
    QFont font(family);
    font.setPixelSize(std::max(1, pixels));
    return std::make_unique<typeset::Typesetter>(font, writing, standIns);
}

}  // namespace

QString pageFontFamily(const PageSetup& setup, const QFont& editorFont) {
    return setup.fontFamily.isEmpty() ? editorFont.family() : setup.fontFamily;
}

QString pageFontFace(const PageSetup& setup, const QFont& editorFont) {
    return QFontInfo(QFont(pageFontFamily(setup, editorFont))).family();
}

QString documentTitle(const QString& path) {
    return path.isEmpty() ? QStringLiteral("無題") : QFileInfo(path).completeBaseName();
}

PageTypesetting::PageTypesetting(const PageSetup& setup, const QFont& editorFont, const text::StandIns* standIns,
                                 bool ruby)
    : setup_(setup), standIns_(standIns) {
    const QString family = pageFontFamily(setup, editorFont);
    const typeset::Writing writing = setup.vertical ? typeset::Writing::Vertical : typeset::Writing::Horizontal;
    page_ = setup.paperPoints();
    area_ = QRectF(QPointF(setup.marginLeft * kPointsPerMm, setup.marginTop * kPointsPerMm),
                   QPointF(page_.width() - setup.marginRight * kPointsPerMm,
                           page_.height() - setup.marginBottom * kPointsPerMm));
    const double along = setup.vertical ? area_.height() : area_.width();   // the line's extent
    const double across = setup.vertical ? area_.width() : area_.height();  // the lines' extent
    const int chars = std::max(1, setup.chars);
    const int lines = std::max(1, setup.lines);
    // The largest em that puts the characters on a line and the lines on a page, or the
    // size asked for when it is smaller.
    double emPixels = std::min(along / chars, across / lines) * kPixelsPerPoint;
    if (setup.fontSize > 0) emPixels = std::min(emPixels, setup.fontSize * kPixelsPerPoint);
    if (along <= 0 || across <= 0 || emPixels < 1) {
        problem_ = QStringLiteral("余白が大きすぎて、用紙に文字を置く場所がありません");
        emPixels = 10;
    }
    int pixels = static_cast<int>(std::floor(emPixels));
    text_ = typesetterAt(family, pixels, writing, standIns);
    // A full-width cell may be larger than the em (the font's height in vertical writing):
    // shrink until the line holds its characters.
    const double room = along * kPixelsPerPoint;
    while (!problem_ && pixels > 1 && chars * text_->fullWidthAdvance() > room) {
        const int smaller = static_cast<int>(std::floor(pixels * room / (chars * text_->fullWidthAdvance())));
        pixels = std::max(1, std::min(pixels - 1, smaller));
        text_ = typesetterAt(family, pixels, writing, standIns);
    }
    numbers_ = typesetterAt(family, static_cast<int>(std::lround(pixels * 0.8)), typeset::Writing::Horizontal);

    cell_ = text_->fullWidthAdvance() / kPixelsPerPoint;
    pitch_ = across / lines;
    const double extent = chars * cell_;
    if (setup.vertical)
        block_ = QRectF(area_.left(), area_.top() + (along - extent) / 2, across, extent);
    else
        block_ = QRectF(area_.left() + (along - extent) / 2, area_.top(), extent, across);
    if (ruby) ruby_ = rubyLayout();
}

std::unique_ptr<typeset::RubyLayout> PageTypesetting::rubyLayout() const {
    // Half the text's size, a twentieth of the em from the text, and smaller when the room
    // between two lines (between the grid's cells) is narrower than that, down to a quarter.
    const double em = QFontInfo(text_->font()).pixelSize();
    typeset::RubyLayout::Options options;
    options.gap = static_cast<float>(std::max(1.0, std::round(em / 20)));
    const double room = pitch_ * kPixelsPerPoint - std::max<double>(em, text_->fullWidthAdvance()) - 2 * options.gap;
    options.rubyPixels = static_cast<int>(std::max(std::round(em / 4), std::floor(std::min(std::round(em / 2), room))));
    options.baseCells = true;
    options.lineLength = lineWidth();
    options.standIns = standIns_;
    return std::make_unique<typeset::RubyLayout>(text_->font(), text_->writing(), *text_, options);
}

PageTypesetting::~PageTypesetting() = default;

double PageTypesetting::fontPoints() const { return QFontInfo(text_->font()).pixelSize() / kPixelsPerPoint; }

float PageTypesetting::lineWidth() const {
    return static_cast<float>(std::max(1, setup_.chars) * text_->fullWidthAdvance());
}

QPointF PageTypesetting::lineOrigin(int line) const {
    const double k = kPixelsPerPoint;
    const int half = text_->linePitch() / 2;
    if (setup_.vertical) {
        // The typesetter centres a column linePitch() / 2 to the left of its origin.
        const double centre = (block_.right() - (line + 0.5) * pitch_) * k;
        return QPointF(std::round(centre) + half, block_.top() * k);
    }
    const double centre = (block_.top() + (line + 0.5) * pitch_) * k;
    return QPointF(block_.left() * k, std::round(centre) - half);
}

QRectF PageTypesetting::cellBox(int line, int k) const {
    if (setup_.vertical) {
        const double centre = block_.right() - (line + 0.5) * pitch_;
        return QRectF(centre - cell_ / 2, block_.top() + k * cell_, cell_, cell_);
    }
    const double centre = block_.top() + (line + 0.5) * pitch_;
    return QRectF(block_.left() + k * cell_, centre - cell_ / 2, cell_, cell_);
}

std::optional<QPointF> PageTypesetting::numberOrigin(int pageNumber, float width) const {
    const double k = kPixelsPerPoint;
    const double w = width / k;
    const double height = numbers_->linePitch() / k;
    const double bottom = (page_.height() + area_.bottom()) / 2 - height / 2;
    const double top = area_.top() / 2 - height / 2;
    // The outside edge: the right of odd pages and the left of even ones in horizontal
    // writing; pages of vertical writing turn the other way.
    const bool right = (pageNumber % 2 == 1) != setup_.vertical;
    const double outside = right ? area_.right() - w : area_.left();
    switch (setup_.numbers) {
        case NumberPlace::None:
            return std::nullopt;
        case NumberPlace::BottomCentre:
            return QPointF((page_.width() - w) / 2 * k, bottom * k);
        case NumberPlace::BottomOutside:
            return QPointF(outside * k, bottom * k);
        case NumberPlace::TopOutside:
            return QPointF(outside * k, top * k);
    }
    return std::nullopt;
}

std::optional<PageTypesetting::NumberLine> PageTypesetting::numberLine(int pageNumber) const {
    if (setup_.numbers == NumberPlace::None) return std::nullopt;
    NumberLine line;
    const QString number = pageNumberText(setup_.numberFormat, pageNumber);
    line.bytes =
        text::codec::encode(std::u16string_view(reinterpret_cast<const char16_t*>(number.utf16()), number.size())).bytes;
    numbers_->cells(line.bytes, line.cells);
    float width = 0;
    for (const typeset::Cell& c : line.cells) width += c.advance;
    const std::optional<QPointF> origin = numberOrigin(pageNumber, width);
    if (!origin) return std::nullopt;
    line.origin = *origin;
    return line;
}

Paginator::Paginator(const PageTypesetting& typesetting, PageSink sink)
    : typesetting_(typesetting), sink_(std::move(sink)) {}

bool Paginator::add(std::string_view paragraph) {
    if (stopped_) return false;
    auto p = std::make_shared<PageParagraph>();
    p->bytes.assign(paragraph);
    typesetting_.text().cells(p->bytes, p->cells);
    // Groups as one cell each, so that no base is split between lines.
    if (typeset::RubyLayout* ruby = typesetting_.ruby())
        ruby->fold(p->bytes, 0, static_cast<std::size_t>(-1), 0, typesetting_.lineWidth(), p->cells);
    // The screen's line-breaking rules, and hanging stops when the setup asks for them.
    typeset::line_break::wrap(p->bytes, p->cells, typesetting_.lineWidth(), starts_,
                           typesetting_.setup().hang ? typeset::line_break::Hanging::Stops : typeset::line_break::Hanging::None);
    const int perPage = std::max(1, typesetting_.setup().lines);
    for (std::size_t i = 0; i < starts_.size(); ++i) {
        const auto last = i + 1 < starts_.size() ? starts_[i + 1] : static_cast<std::uint32_t>(p->cells.size());
        page_.lines.push_back({p, starts_[i], last});
        if (static_cast<int>(page_.lines.size()) == perPage && !flush()) return false;
    }
    return true;
}

bool Paginator::flush() {
    page_.number = number_;
    if (!sink_(page_)) {
        stopped_ = true;
        return false;
    }
    page_.lines.clear();
    ++number_;
    return true;
}

bool Paginator::finish() {
    if (stopped_) return false;
    if (!page_.lines.empty() || number_ == 1) return flush();
    return true;
}

std::vector<std::string> titleParagraphs(const PageTypesetting& typesetting, const QString& title) {
    const PageSetup& setup = typesetting.setup();
    if (!setup.titleLines) return {};
    const std::string space = "\x81\x40";  // the full-width space
    auto bytesOf = [](const QString& s) { return text::codec::encode(std::u16string_view(
                                                     reinterpret_cast<const char16_t*>(s.utf16()), s.size()))
                                                 .bytes; };
    std::vector<std::string> out;
    out.push_back(space + space + bytesOf(title));
    std::string author = bytesOf(setup.author);
    if (!author.empty()) {
        // Set to the end of the line, one cell from it.
        std::vector<typeset::Cell> cells;
        typesetting.text().cells(author, cells);
        float used = typesetting.text().fullWidthAdvance();
        for (const typeset::Cell& c : cells) used += c.advance;
        const auto free = static_cast<int>((typesetting.lineWidth() - used) / typesetting.text().fullWidthAdvance());
        std::string padded;
        for (int i = 0; i < free; ++i) padded += space;
        out.push_back(padded + author);
    }
    out.emplace_back();
    return out;
}

bool paginateText(Paginator& paginator, const PageTypesetting& typesetting, const QString& title,
                  std::string_view text) {
    for (const std::string& line : titleParagraphs(typesetting, title))
        if (!paginator.add(line)) return false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        if (!paginator.add(text.substr(start, end - start))) return false;
        start = end;
        if (start < text.size()) start += (text[start] == '\r' && start + 1 < text.size() && text[start + 1] == '\n') ? 2 : 1;
    }
    return paginator.finish();
}

}  // namespace verlo::print
