#include "ui/pictures.h"

#include <QString>

// Outside any namespace, as the resource registration requires.
static void registerPictures() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(imageburner);
        return true;
    }();
    (void)registered;
}

namespace ib::ui {

QPixmap picture(Picture which) {
    registerPictures();
    switch (which) {
        case Picture::Banner: return QPixmap(QStringLiteral(":/imageburner/banner.png"));
        case Picture::Pattern: return QPixmap(QStringLiteral(":/imageburner/pattern.png"));
        case Picture::Icon: return QPixmap(QStringLiteral(":/imageburner/icon.png"));
    }
    return {};
}

}  // namespace ib::ui
