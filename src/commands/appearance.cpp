#include "commands/appearance.h"

#include <QWidget>

namespace verlo::commands {

FontCommand::FontCommand(QWidget* owner, edit::EditControl& memo2)
    : owner_(owner), memo2_(memo2), font_{memo2.textFont(), memo2.textColor()} {}

void FontCommand::takeControlFont() { font_ = {memo2_.textFont(), memo2_.textColor()}; }

bool FontCommand::run() {
    const std::optional<platform::FontChoice> chosen = platform::answerer().chooseFont(owner_, font_);
    if (!chosen) return false;
    font_ = *chosen;
    if (!font_.color.isValid()) font_.color = memo2_.textColor();
    memo2_.setTextFont(font_.font);
    memo2_.setTextColor(font_.color);
    return true;
}

BackgroundCommand::BackgroundCommand(QWidget* owner, edit::EditControl& memo2) : owner_(owner), memo2_(memo2) {}

bool BackgroundCommand::run() {
    const std::optional<QColor> chosen = platform::answerer().chooseColor(owner_, color_);
    if (!chosen) return false;
    color_ = *chosen;
    memo2_.setBackgroundColor(color_);
    return true;
}

Transparency::Transparency(QWidget& window) : window_(window) {}

void Transparency::toggle() {
    on_ = !on_;
    apply();
    if (!on_) window_.update();
}

void Transparency::setAlphaBlendValue(std::uint8_t value) {
    value_ = value;
    if (on_) apply();
}

void Transparency::apply() { window_.setWindowOpacity(on_ ? value_ / 255.0 : 1.0); }

}  // namespace verlo::commands
