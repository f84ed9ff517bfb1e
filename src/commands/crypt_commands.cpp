#include "commands/crypt_commands.h"

#include "dialogs/key_dialog.h"

namespace verlo::commands {

CryptCommands::CryptCommands(edit::EditControl& memo2, QWidget* mainWindow)
    : form3_(new dialogs::TForm3(memo2, mainWindow)) {}

void CryptCommands::encrypt() { form3_->open(dialogs::TForm3::Mode::Encrypt); }

void CryptCommands::decrypt() { form3_->open(dialogs::TForm3::Mode::Decrypt); }

}  // namespace verlo::commands
