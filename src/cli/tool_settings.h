// The settings as the editor stored them, for the windowless commands that follow them (the
// page setup of --pdf, the heading conventions of --outline).
#pragma once

#include "settings/stored_settings.h"

namespace verlo::cli {

// The stored values; one the store cannot read keeps its default and is named on standard
// error.
settings::StoredSettings readToolSettings();

}  // namespace verlo::cli
