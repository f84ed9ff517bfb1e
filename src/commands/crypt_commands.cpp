#include "commands/crypt_commands.h"

#include <exception>
#include <optional>
#include <string>

#include "cipher/key_text.h"
#include "cipher/text_cipher.h"
#include "edit/edit_control.h"
#include "platform/answerer.h"

namespace verlo::commands {

using dialogs::TForm3;

namespace {

// The CP932 form of source encrypted; nothing when a character has no such form (the
// error box names them).
std::optional<std::string> encrypted(std::string_view source, const text::StandIns& standIns, std::string_view key,
                                     QWidget* owner) {
    const text::StandIns::Encoded plain = standIns.toCodePage(source);
    if (!plain.ok()) {
        platform::showError(owner, QStringLiteral("Shift-JIS で表せない文字があるため暗号化できません (%1)")
                                       .arg(QString::fromUcs4(plain.refused.data(),
                                                              static_cast<qsizetype>(plain.refused.size()))));
        return std::nullopt;
    }
    return cipher::EncryptText(plain.bytes, key);
}

// source decrypted into the document's bytes; nothing when it does not decrypt with the key
// or its characters do not fit the document's table (a box says which).
std::optional<std::string> decrypted(std::string_view source, text::StandIns& standIns, std::string_view key,
                                     QWidget* owner) {
    const std::optional<std::string> plain = cipher::DecryptForDocument(source, key);
    if (!plain) {
        // Not an error of the program: the text as given, without the full stop that the
        // standard error text would add.
        platform::answerer().error(owner, QString::fromUtf8("だめです"));
        return std::nullopt;
    }
    text::StandIns::Encoded fitted = standIns.fromCodePage(*plain);
    if (!fitted.ok()) {
        platform::showError(owner, QStringLiteral("この文書にはこれ以上の種類の特殊な文字を入れられないため復号化できません"));
        return std::nullopt;
    }
    return std::move(fitted.bytes);
}

}  // namespace

CryptCommands::CryptCommands(edit::EditControl& memo2, QWidget* mainWindow)
    : memo2_(memo2), form3_(new TForm3(mainWindow)) {
    form3_->setKeyHandler([this](const QString& keyText, TForm3::Mode mode) { return apply(keyText, mode); });
}

void CryptCommands::encrypt() { form3_->open(TForm3::Mode::Encrypt); }

void CryptCommands::decrypt() { form3_->open(TForm3::Mode::Decrypt); }

TForm3::Outcome CryptCommands::apply(const QString& keyText, TForm3::Mode mode) {
    if (memo2_.isReadOnly())  // a file opened read-only stays as it is
        return TForm3::Outcome::Done;
    const cipher::KeyBytes key = cipher::keyBytesFromText(
        std::u16string_view(reinterpret_cast<const char16_t*>(keyText.utf16()), static_cast<std::size_t>(keyText.size())));
    if (!key.ok()) {
        platform::showError(form3_, QString::fromStdString(cipher::unencodableKeyMessage(key.unencodable)));
        return TForm3::Outcome::StayOpen;
    }

    const std::string selected = memo2_.selectedText();
    const bool wholeText = selected.empty();
    const std::string source = wholeText ? memo2_.text() : selected;
    text::StandIns& standIns = memo2_.document().standIns();
    std::optional<std::string> result;
    try {
        result = mode == TForm3::Mode::Encrypt ? encrypted(source, standIns, key.bytes, form3_)
                                               : decrypted(source, standIns, key.bytes, form3_);
    } catch (const std::exception& e) {
        platform::showError(form3_, QString::fromUtf8(e.what()));
    }
    if (!result) return TForm3::Outcome::StayOpen;

    if (!wholeText)
        memo2_.replaceSelection(*result, /*canUndo=*/false);
    else if (*result != source)
        memo2_.setText(*result);
    return TForm3::Outcome::Done;
}

}  // namespace verlo::commands
