#include "app/SelectorBox.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

namespace rt570 {

// The selector's text line: Enter and leaving the field end an edit, and the selector watches
// over what the combo box does then.
class SelectorLine : public QLineEdit {
public:
    explicit SelectorLine(SelectorBox* box) : QLineEdit(box), m_box(box) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            m_box->endEdit([this, event] { QLineEdit::keyPressEvent(event); });
        else
            QLineEdit::keyPressEvent(event);
    }
    void focusOutEvent(QFocusEvent* event) override {
        m_box->endEdit([this, event] { QLineEdit::focusOutEvent(event); });
    }

private:
    SelectorBox* m_box;
};

SelectorBox::SelectorBox(QWidget* parent) : QComboBox(parent) {
    setLineEdit(new SelectorLine(this));
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);

    connect(this, &QComboBox::activated, this, [this](int index) {
        if (m_endingEdit)
            return; // the combo box matched the typed text to a line: no pick
        m_edited = false;
        emit changedByUser(index);
    });
    connect(lineEdit(), &QLineEdit::textEdited, this, [this](const QString&) {
        m_edited = true;
        emit changedByUser(-1);
    });
}

void SelectorBox::useInfoTipBackground() {
    QPalette colours = palette();
    colours.setColor(QPalette::Base, colours.color(QPalette::ToolTipBase));
    colours.setColor(QPalette::Text, colours.color(QPalette::ToolTipText));
    setPalette(colours);
}

void SelectorBox::selectItem(int index) {
    const QSignalBlocker quiet(this);
    setCurrentIndex(index);
    m_edited = false;
}

void SelectorBox::setText(const QString& text) {
    const QSignalBlocker quiet(this);
    setEditText(text);
    m_edited = true;
}

void SelectorBox::endEdit(const std::function<void()>& handle) {
    if (!m_edited) {
        handle();
        return;
    }
    const int index = currentIndex();
    const QString text = currentText();
    m_endingEdit = true;
    handle();
    m_endingEdit = false;
    if (currentIndex() != index || currentText() != text) {
        const QSignalBlocker quiet(this);
        setCurrentIndex(index);
        setEditText(text);
    }
}

} // namespace rt570
