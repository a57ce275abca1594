#pragma once

#include <QColor>
#include <QFont>
#include <QGroupBox>

namespace rt570 {

// A group box whose caption has a font and a colour of its own. The box itself keeps the font
// and the palette it inherits, so the controls inside it get the window's font and colours;
// only the caption is drawn in the caption's font and colour.
class CaptionGroupBox : public QGroupBox {
    Q_OBJECT
public:
    explicit CaptionGroupBox(QWidget* parent = nullptr) : QGroupBox(parent) {}

    void setCaption(const QString& text, const QFont& font, const QColor& colour);
    const QFont& captionFont() const { return m_captionFont; }
    const QColor& captionColour() const { return m_captionColour; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont m_captionFont;
    QColor m_captionColour;
};

} // namespace rt570
