// The status line (control 1018): a bar filled to the percent in the done
// colour (or the tiled pattern), the rest in the rest colour, and the status
// text centred over it on a transparent background. A step message replaces
// the whole display with plain centred text until the next status repaint.
// Nothing is painted before the first status: the line is not attached yet.
// Assistive technology reads the text shown as its name, the percent as its
// value.
#pragma once

#include <QFrame>
#include <QPixmap>
#include <QString>
#include <optional>

#include "app/user_interface_port.h"

namespace ib::ui {

// 0x00BBGGRR to a colour.
QColor colourOf(std::uint32_t bgr);

// Paints the status display into `client`: the status painter's algorithm.
void paintStatus(QPainter& painter, const QRect& client, const StatusState& state, const QPixmap& pattern);

class StatusWidget final : public QFrame {
public:
    explicit StatusWidget(QWidget* parent = nullptr);

    // Shows this state from the next paint on (a burst of reports is painted
    // once); a step message shown before is gone.
    void showState(const StatusState& state);
    void showStepMessage(const QString& text);
    const StatusState& state() const { return m_state; }
    // The step message on show, if any.
    const std::optional<QString>& stepMessage() const { return m_stepMessage; }
    // The text on show: the step message, else the status text once there is one.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Tells assistive technology that the text and the percent changed.
    void announce();

    bool m_attached = false;
    StatusState m_state;
    std::optional<QString> m_stepMessage;
    QPixmap m_pattern;
};

}  // namespace ib::ui
