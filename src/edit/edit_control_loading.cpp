// The edit control and a text loaded piece by piece: the first piece shows at once, the
// rest is appended at the end as the owner asks (between events) or as soon as anything
// changes the text. The owner hears of the appended pieces as one change once all are in.
#include "edit/edit_control_impl.h"

namespace verlo::edit {

void EditControl::startLoading(text::Document::PieceSource next) {
    d->doc.standIns() = text::StandIns();
    d->layout.standInsReplaced();
    replaceAllBy([&] { d->doc.startLoading(std::move(next)); });
    d->streaming = d->doc.loading();
}

bool EditControl::loadMore(std::size_t bytes) {
    if (!d->streaming) return false;
    EditScope scope(d.get());
    if (!d->doc.loadMore(bytes)) d->pieceLoaded(text::Change());
    return d->streaming;
}

void EditControl::finishLoading() { loadMore(text::npos); }

bool EditControl::loading() const { return d->streaming; }

void EditControl::Impl::pieceLoaded(const text::Change& c) {
    if (doc.loading()) {
        // Appended at the end: together they replaced the lines the first one touched.
        if (pieceCount++ == 0) {
            loadedRest = c;
        } else {
            loadedRest.inserted += c.inserted;
            loadedRest.linesAdded = loadedRest.linesAdded + c.linesAdded - c.linesRemoved;
        }
        return;
    }
    // All is in: the pieces, then the change that took the rest in, if one did.
    streaming = false;
    if (pieceCount > 0) emit q->edited(loadedRest);
    pieceCount = 0;
    emit q->loaded();
    if (c.inserted + c.removed > 0) emit q->edited(c);
    if (!shelved() && layout.isValid() && layout.exact()) emit q->linesCounted();
}

}  // namespace verlo::edit
