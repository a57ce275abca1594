#include "app/CaptionGroupBox.h"

#include <QStyleOptionGroupBox>
#include <QStylePainter>

namespace rt570 {

void CaptionGroupBox::setCaption(const QString& text, const QFont& font, const QColor& colour) {
    m_captionFont = font;
    m_captionColour = colour;
    setTitle(text);
    update();
}

void CaptionGroupBox::paintEvent(QPaintEvent*) {
    // The style lays out and draws the group as usual, measuring and writing its title in the
    // caption's font and colour instead of the box's own.
    QStylePainter painter(this);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    option.fontMetrics = QFontMetrics(m_captionFont);
    option.palette.setColor(QPalette::WindowText, m_captionColour);
    option.textColor = m_captionColour;
    painter.setFont(m_captionFont);
    painter.drawComplexControl(QStyle::CC_GroupBox, option);
}

} // namespace rt570
