// The pictures compiled into the program: the banner, the status line's
// tiling pattern and the application icon.
#pragma once

#include <QPixmap>

namespace ib::ui {

enum class Picture { Banner, Pattern, Icon };

QPixmap picture(Picture which);

}  // namespace ib::ui
