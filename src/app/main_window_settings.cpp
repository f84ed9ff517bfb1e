// The main window's side of the settings file: what the start-up read gives goes to the
// window, the edit control and the live settings; the closing write gathers it back.
#include <QFont>
#include <QTimer>

#include "app/main_window.h"
#include "app/kept_places.h"
#include "app/outline_panel.h"
#include "app/recent_files.h"
#include "app/writing_status.h"
#include "dialogs/settings_dialog.h"
#include "edit/edit_control.h"
#include "platform/error.h"
#include "settings/settings_store.h"
#include "settings/stored_settings.h"

namespace verlo::app {

void TForm1::readSettings() {
    settings::SettingsStore store;
    const settings::StoredSettings s =
        settings::readStoredSettings(store, [this](const std::function<void()>& step) { platform::guarded(this, step); });
    store.close();

    startState_ = s.State;
    move(s.bounds.topLeft());
    resize(s.bounds.size());
    normalBounds_ = s.bounds;
    startStyle_ = s.Style;
    startPitch_ = s.Pitch;
    settings = s.live;
    pageSetup = s.PageSetup;
    Ruby1->setChecked(settings.Ruby);
    memo2->setRubyShown(settings.Ruby);
    setAlphaBlendValue(s.AlphaValue);

    fontColorRead_ = s.FontColor;
    memo2->setTextColor(settings::toQColor(fontColorRead_, palette().color(QPalette::Text)));
    QFont font = memo2->textFont();
    settings::setFontSize(font, s.Size);
    memo2->setTextFont(font);
    font.setFamily(s.Name);
    memo2->setTextFont(font);
    backColorRead_ = s.BackColor;
    memo2->setBackgroundColor(settings::toQColor(backColorRead_, palette().color(QPalette::Base)));
    writingStatus_->setShown(s.StatusBar);
    outlinePanel_->setRules(outline::rulesFromText(s.OutlineHeadings.toStdString()));
    outlinePanel_->setSide(s.OutlineSide);
    outlinePanel_->setWidth(s.OutlineWidth);
    outlinePanel_->setShown(s.OutlineShown);
    recentFiles_->setFiles(s.RecentFiles);
    keptPlaces_->setEntries(s.Places);
}

void TForm1::applyStyle() {
    QFont font = memo2->textFont();
    settings::setFontStyle(font, startStyle_);
    memo2->setTextFont(font);
    settings::setFontPitch(font, startPitch_);
    memo2->setTextFont(font);
    if (startState_ == 1)
        setWindowState(Qt::WindowMinimized);
    else if (startState_ == 2)
        setWindowState(Qt::WindowMaximized);
}

settings::StoredSettings TForm1::gatherSettings() const {
    settings::StoredSettings v;
    const QFont font = memo2->textFont();
    v.State = settings::stateNumber(windowState());
    v.bounds = normalBounds();
    v.Style = settings::fontStyleOf(font);
    v.Pitch = settings::fontPitchOf(font);
    v.live = settings;
    // The stamp's switches and formats as the settings dialog's controls hold them,
    // whether it was left with OK or with Cancel.
    if (form2_)
        form2_->takeStampChoices(v.live);
    v.PageSetup = pageSetup;
    v.AlphaValue = AlphaBlendValue();
    v.FontColor = settings::colorToStore(memo2->textColor(), fontColorRead_, palette().color(QPalette::Text));
    v.Size = settings::fontSizeOf(font);
    v.Name = font.family();
    v.BackColor = settings::colorToStore(memo2->backgroundColor(), backColorRead_, palette().color(QPalette::Base));
    v.ImeMode = memo2->imeMode();
    v.StatusBar = writingStatus_->shown();
    v.OutlineShown = outlinePanel_->shown();
    v.OutlineSide = outlinePanel_->side();
    v.OutlineWidth = outlinePanel_->width();
    v.OutlineHeadings = QString::fromStdString(outline::rulesToText(outlinePanel_->rules()));
    v.RecentFiles = recentFiles_->files();
    v.Places = keptPlaces_->entries();
    return v;
}

void TForm1::writeSettings() {
    if (form2_)
        form2_->takeStampChoices(settings);
    keepPlace();
    const settings::StoredSettings v = gatherSettings();  // before the window is put into the normal state below

    settings::SettingsStore store;
    settings::writeStoredSettings(store, v);
    if (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen))
        setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    store.close();
    // Written: what changes from here on (the normal state above) is no choice of the writer's.
    if (settingsWatch_)
        settingsWatch_->stop();
    settingsWritten_ = v;
}

// The watch looks at the values once a second, off the path of keys and commands, so
// that every way a setting changes (menu items and their keys, the dialogs, the window's
// bounds and state, the recent files) is noticed in this one place. Values that differ
// from those last written are written once they have stayed the same for one look (a
// window being dragged is not written at every step). The write is silent: when it
// fails, the values are not tried again until they change, and the closing write
// reports the failure as always. The place in the current file is kept only by the
// closing write (it follows the caret).
void TForm1::watchSettings() {
    settingsWritten_ = gatherSettings();
    settingsSeen_.reset();
    if (!settingsWatch_) {
        settingsWatch_ = new QTimer(this);
        settingsWatch_->setInterval(1000);
        connect(settingsWatch_, &QTimer::timeout, this, &TForm1::lookAtSettings);
    }
    settingsWatch_->start();
}

void TForm1::lookAtSettings() {
    learnNormalFrame();
    if (!isVisible())
        return;
    settings::StoredSettings now = gatherSettings();
    const bool settled = settingsSeen_ == now;
    settingsSeen_ = now;
    if (now == settingsWritten_ || !settled)
        return;
    settingsWritten_ = std::move(now);
    try {
        settings::SettingsStore store;
        settings::writeStoredSettings(store, *settingsWritten_);
        store.close();
    } catch (const platform::Error&) {
    }
}

}  // namespace verlo::app
