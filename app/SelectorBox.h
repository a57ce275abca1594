#pragma once

#include <QComboBox>
#include <functional>

namespace rt570 {

class SelectorLine;

// An editable drop-down selector whose selected item follows the operator: picking a line
// selects it, typing into the text line selects none (itemIndex() is -1 then). A typed text
// stays typed, also when it equals a line and the operator presses Enter or leaves the field.
// Typed text is never added to the list, and nothing is completed while typing.
class SelectorBox : public QComboBox {
    Q_OBJECT
public:
    explicit SelectorBox(QWidget* parent = nullptr);

    // The selected line, or -1 once the text line was edited after the last pick.
    int itemIndex() const { return m_edited ? -1 : currentIndex(); }
    // Selects a line as the program does (no change signal).
    void selectItem(int index);
    // Puts text into the text line as the program does: no line counts as selected.
    void setText(const QString& text);
    // The text line on the info-tip background, as the connection's selectors have it.
    void useInfoTipBackground();

signals:
    // The operator picked a line or edited the text line; `index` is itemIndex() afterwards.
    void changedByUser(int index);

private:
    friend class SelectorLine;
    // Runs the text line's own handling of Enter or of leaving the field. The combo box would
    // then select the line whose text equals a typed text; here the typed text, the position
    // and the edited state stay as they were.
    void endEdit(const std::function<void()>& handle);

    bool m_edited = false;
    bool m_endingEdit = false;
};

} // namespace rt570
