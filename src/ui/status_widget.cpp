#include "ui/status_widget.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QPainter>

#include "app/status_painting.h"
#include "ui/pictures.h"

namespace ib::ui {
namespace {

// The status line as assistive technology reads it: a progress bar named by
// the text on show, valued by the percent.
class StatusAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit StatusAccessible(StatusWidget& status) : QAccessibleWidget(&status, QAccessible::ProgressBar) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text which) const override {
        if (which == QAccessible::Name) return status().shownText();
        if (which == QAccessible::Value) return QStringLiteral("%1 %").arg(status().state().percent);
        return QAccessibleWidget::text(which);
    }
    QVariant currentValue() const override { return status().state().percent; }
    void setCurrentValue(const QVariant&) override {}  // shown, never set
    QVariant maximumValue() const override { return 100; }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }

private:
    const StatusWidget& status() const { return *static_cast<const StatusWidget*>(widget()); }
};

QAccessibleInterface* statusAccessible(const QString&, QObject* object) {
    auto* status = dynamic_cast<StatusWidget*>(object);
    return status ? new StatusAccessible(*status) : nullptr;
}

}  // namespace

QColor colourOf(std::uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

void paintStatus(QPainter& painter, const QRect& client, const StatusState& state, const QPixmap& pattern) {
    const QString text = QString::fromStdString(state.text);
    // The text's extent, from the client rectangle's top-left corner; lines break at line feeds only.
    const QRect extent = painter.fontMetrics().boundingRect(client, Qt::AlignLeft | Qt::AlignTop, text);
    const StatusPaintPlan plan = planStatusPaint({client.left(), client.top(), client.left() + client.width(),
                                                  client.top() + client.height()},
                                                 state, extent.width(), extent.height());
    const auto qRect = [](const PixelRect& r) { return QRect(r.left, r.top, r.width(), r.height()); };
    if (plan.doneFill == BarFill::TiledPattern)
        painter.fillRect(qRect(plan.done), QBrush(pattern));
    else
        painter.fillRect(qRect(plan.done), colourOf(plan.doneColour));
    painter.fillRect(qRect(plan.rest), colourOf(plan.restColour));
    painter.setBackgroundMode(Qt::TransparentMode);
    painter.setPen(colourOf(plan.textColour));
    painter.drawText(qRect(plan.textPlace), Qt::AlignLeft | Qt::AlignTop, text);
}

StatusWidget::StatusWidget(QWidget* parent)
    : QFrame(parent), m_pattern(picture(Picture::Pattern)) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(statusAccessible);
        return true;
    }();
    (void)factoryInstalled;
}

void StatusWidget::showState(const StatusState& state) {
    m_attached = true;
    m_state = state;
    m_stepMessage.reset();
    update();  // coalesced: one paint for a burst of reports
    announce();
}

void StatusWidget::showStepMessage(const QString& text) {
    m_stepMessage = text;
    update();  // coalesced: one paint for a burst of reports
    announce();
}

QString StatusWidget::shownText() const {
    if (m_stepMessage) return *m_stepMessage;
    return m_attached ? QString::fromStdString(m_state.text) : QString();
}

void StatusWidget::announce() {
    if (!QAccessible::isActive()) return;
    QAccessibleEvent named(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    QAccessibleValueChangeEvent valued(this, m_state.percent);
    QAccessible::updateAccessibility(&valued);
}

void StatusWidget::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    if (m_stepMessage) {
        painter.fillRect(contentsRect(), palette().window());
        painter.setPen(palette().windowText().color());
        painter.drawText(contentsRect(), Qt::AlignCenter, *m_stepMessage);
        return;
    }
    if (m_attached) paintStatus(painter, contentsRect(), m_state, m_pattern);
}

}  // namespace ib::ui
