// The about box: the application icon, one line naming the program, "OK".
#pragma once

#include <QDialog>

namespace ib::ui {

class CAboutDlg final : public QDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace ib::ui
