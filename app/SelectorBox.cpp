#include "app/SelectorBox.h"

#include <QLineEdit>
#include <QSignalBlocker>

namespace rt570 {

SelectorBox::SelectorBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);

    connect(this, &QComboBox::activated, this, [this](int index) {
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

} // namespace rt570
