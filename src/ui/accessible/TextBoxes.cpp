// SPDX-License-Identifier: MIT
// Text boxes read whole; the status line as the status bar, with its text and, before Qt 6.8, its
// notice.
#include "ui/accessible/TextBoxes.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLineEdit>
#include <cstddef>
#include <vector>

#include "ui/accessible/Parts.h"

namespace quarl::ui {

namespace {

// A text box as Qt presents it, with whole runs of attributes.
class TextBox : public QAccessibleWidget,
                public QAccessibleTextInterface,
                public QAccessibleEditableTextInterface {
  public:
    explicit TextBox(QLineEdit* edit, QAccessible::Role role = QAccessible::EditableText)
        : QAccessibleWidget(edit, role) {}

    [[nodiscard]] QLineEdit* Edit() const { return static_cast<QLineEdit*>(widget()); }

    [[nodiscard]] QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Value) return Edit()->text();
        return QAccessibleWidget::text(type);
    }
    void setText(QAccessible::Text type, const QString& text) override {
        if (type == QAccessible::Value) Edit()->setText(text);
    }
    [[nodiscard]] QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.selectableText = true;
        state.editable = !Edit()->isReadOnly();
        state.readOnly = Edit()->isReadOnly();
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface) {
            return static_cast<QAccessibleEditableTextInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(type);
    }

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
        if (selectionIndex != 0 || !Edit()->hasSelectedText()) return;
        *startOffset = Edit()->selectionStart();
        *endOffset = *startOffset + static_cast<int>(Edit()->selectedText().size());
    }
    [[nodiscard]] int selectionCount() const override { return Edit()->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override {
        setSelection(0, startOffset, endOffset);
    }
    void removeSelection(int selectionIndex) override {
        if (selectionIndex == 0) Edit()->deselect();
    }
    void setSelection(int selectionIndex, int startOffset, int endOffset) override {
        if (selectionIndex == 0) Edit()->setSelection(startOffset, endOffset - startOffset);
    }
    [[nodiscard]] int cursorPosition() const override { return Edit()->cursorPosition(); }
    void setCursorPosition(int position) override { Edit()->setCursorPosition(position); }
    [[nodiscard]] QString text(int startOffset, int endOffset) const override {
        if (startOffset < 0 || endOffset < startOffset) return {};
        return Edit()->text().mid(startOffset, endOffset - startOffset);
    }
    [[nodiscard]] QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary,
                                           int* startOffset, int* endOffset) const override {
        return QAccessibleTextInterface::textBeforeOffset(AtCursor(offset), boundary, startOffset,
                                                          endOffset);
    }
    [[nodiscard]] QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary,
                                          int* startOffset, int* endOffset) const override {
        return QAccessibleTextInterface::textAfterOffset(AtCursor(offset), boundary, startOffset,
                                                         endOffset);
    }
    [[nodiscard]] QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary,
                                       int* startOffset, int* endOffset) const override {
        return QAccessibleTextInterface::textAtOffset(AtCursor(offset), boundary, startOffset,
                                                      endOffset);
    }
    [[nodiscard]] int characterCount() const override {
        return static_cast<int>(Edit()->text().size());
    }
    // The boxes are wide enough for what they hold, so their text never scrolls.
    [[nodiscard]] QRect characterRect(int offset) const override {
        const QString text = Edit()->text();
        if (offset < 0 || offset >= text.size()) return {};
        const QFontMetrics metrics(Edit()->font());
        const QRect inside = Edit()->contentsRect();
        const int left = inside.left() + kTextMargin + metrics.horizontalAdvance(text.left(offset));
        const QRect box(left, inside.top() + (inside.height() - metrics.height()) / 2,
                        metrics.horizontalAdvance(text.at(offset)), metrics.height());
        return box.translated(Edit()->mapToGlobal(QPoint(0, 0)));
    }
    [[nodiscard]] int offsetAtPoint(const QPoint& point) const override {
        const QPoint at = Edit()->mapFromGlobal(point);
        return Edit()->rect().contains(at) ? Edit()->cursorPositionAt(at) : -1;
    }
    void scrollToSubstring(int /*startIndex*/, int /*endIndex*/) override {}
    [[nodiscard]] QString attributes(int /*offset*/, int* startOffset,
                                     int* endOffset) const override {
        return WholeRun(characterCount(), startOffset, endOffset);
    }

    void deleteText(int startOffset, int endOffset) override {
        replaceText(startOffset, endOffset, {});
    }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int startOffset, int endOffset, const QString& text) override {
        QString whole = Edit()->text();
        if (startOffset < 0 || endOffset < startOffset || startOffset > whole.size()) return;
        Edit()->setText(whole.replace(startOffset, endOffset - startOffset, text));
    }

  private:
    // Qt's own margin between a line edit's frame and its text.
    static constexpr int kTextMargin = 2;

    // -2 stands for the cursor's offset.
    [[nodiscard]] int AtCursor(int offset) const {
        return offset == -2 ? cursorPosition() : offset;
    }
};

// The status line's text, which a screen reader's "read status bar" reads.
class StatusText final : public Part {
  public:
    using Part::Part;

    [[nodiscard]] QString text(QAccessible::Text type) const override {
        const auto* line = static_cast<const QLineEdit*>(parent()->object());
        return type == QAccessible::Name ? line->text() : QString();
    }
    [[nodiscard]] QAccessible::Role role() const override { return QAccessible::StaticText; }
    [[nodiscard]] QAccessible::State state() const override { return {}; }
};

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
// Before Qt 6.8 has announcements: a notice that a control shows to the screen reader alone,
// which Orca says wherever the focus is. It is never on screen.
class Notice final : public Part {
  public:
    using Part::Part;

    [[nodiscard]] QString text(QAccessible::Text type) const override {
        return type == QAccessible::Name ? text_ : QString();
    }
    [[nodiscard]] QAccessible::Role role() const override { return QAccessible::Notification; }
    [[nodiscard]] QAccessible::State state() const override {
        QAccessible::State state;
        state.invisible = true;
        return state;
    }
    void Show(const QString& text) {
        text_ = text;
        QAccessibleEvent shown(this, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    }

  private:
    QString text_;
};
#endif

// The status line is the window's status bar, whose text a screen reader reads on request. It
// shows its notices, where Qt has no announcements.
class StatusLine final : public TextBox {
  public:
    explicit StatusLine(QLineEdit* edit) : TextBox(edit, QAccessible::StatusBar) {
        Add(new StatusText(this));
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
        Add(new Notice(this));
#endif
    }
    ~StatusLine() override {
        for (const QAccessible::Id id : parts_) QAccessible::deleteAccessibleInterface(id);
    }
    StatusLine(const StatusLine&) = delete;
    StatusLine& operator=(const StatusLine&) = delete;

    [[nodiscard]] int childCount() const override {
        return static_cast<int>(parts_.size());
    }
    [[nodiscard]] QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= childCount()) return nullptr;
        return QAccessible::accessibleInterface(parts_[static_cast<std::size_t>(index)]);
    }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < childCount(); ++i) {
            if (this->child(i) == child) return i;
        }
        return -1;
    }

  private:
    void Add(QAccessibleInterface* part) {
        parts_.push_back(QAccessible::registerAccessibleInterface(part));
    }

    std::vector<QAccessible::Id> parts_;
};

}  // namespace

QAccessibleInterface* NewTextBox(QLineEdit* edit) {
    return new TextBox(edit);
}

QAccessibleInterface* NewStatusLine(QLineEdit* edit) {
    return new StatusLine(edit);
}

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
void ShowNotice(QAccessibleInterface* statusLine, const QString& text) {
    for (int i = 0; i < statusLine->childCount(); ++i) {
        QAccessibleInterface* part = statusLine->child(i);
        if (part->role() == QAccessible::Notification) static_cast<Notice*>(part)->Show(text);
    }
}
#endif

}  // namespace quarl::ui
