#include "cli/tool_settings.h"

#include <exception>

#include "cli/tool_io.h"
#include "settings/settings_store.h"

namespace verlo::cli {

settings::StoredSettings readToolSettings() {
    settings::SettingsStore store;
    return settings::readStoredSettings(store, [](const std::function<void()>& step) {
        try {
            step();
        } catch (const std::exception& e) {
            say(QString::fromUtf8(e.what()));
        }
    });
}

}  // namespace verlo::cli
