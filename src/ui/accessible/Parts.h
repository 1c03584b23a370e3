// SPDX-License-Identifier: MIT
// What the accessible interfaces share: a part of a control with no widget of its own, and words
// that are read but not edited.
#pragma once

#include <QAccessible>
#include <QString>

namespace quarl::ui {

// A part of a control with no widget of its own, made and owned by the control's interface:
// a tile of the map, a part of the status line.
class Part : public QAccessibleInterface {
  public:
    explicit Part(QAccessibleInterface* owner) : owner_(owner) {}

    [[nodiscard]] bool isValid() const override { return owner_->isValid(); }
    [[nodiscard]] QObject* object() const override { return nullptr; }
    [[nodiscard]] QWindow* window() const override { return owner_->window(); }
    [[nodiscard]] QAccessibleInterface* parent() const override { return owner_; }
    [[nodiscard]] QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
    [[nodiscard]] int childCount() const override { return 0; }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface* /*child*/) const override {
        return -1;
    }
    [[nodiscard]] QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override {
        return nullptr;
    }
    void setText(QAccessible::Text /*type*/, const QString& /*text*/) override {}
    [[nodiscard]] QRect rect() const override { return owner_->rect(); }

  private:
    QAccessibleInterface* owner_;
};

// The run of text attributes at an offset: the whole text, which has no attributes. Qt 6.4
// reports runs that end where they begin, and Orca then reads every text but its last character.
inline QString WholeRun(int characterCount, int* startOffset, int* endOffset) {
    *startOffset = 0;
    *endOffset = characterCount;
    return {};
}

// Words that are read, not edited: a combo box's choice. Every character
// lies where the words stand, which is all a screen reader needs to move the pointer there.
class ReadOnlyText : public QAccessibleTextInterface {
  public:
    [[nodiscard]] virtual QString Words() const = 0;
    [[nodiscard]] virtual QRect WordsRect() const = 0;

    void selection(int /*selectionIndex*/, int* startOffset, int* endOffset) const override {
        *startOffset = *endOffset = 0;
    }
    [[nodiscard]] int selectionCount() const override { return 0; }
    void addSelection(int /*startOffset*/, int /*endOffset*/) override {}
    void removeSelection(int /*selectionIndex*/) override {}
    void setSelection(int /*selectionIndex*/, int /*startOffset*/, int /*endOffset*/) override {}
    [[nodiscard]] int cursorPosition() const override { return 0; }
    void setCursorPosition(int /*position*/) override {}
    [[nodiscard]] QString text(int startOffset, int endOffset) const override {
        if (startOffset < 0 || endOffset < startOffset) return {};
        return Words().mid(startOffset, endOffset - startOffset);
    }
    [[nodiscard]] int characterCount() const override { return static_cast<int>(Words().size()); }
    [[nodiscard]] QRect characterRect(int offset) const override {
        return offset >= 0 && offset < characterCount() ? WordsRect() : QRect();
    }
    [[nodiscard]] int offsetAtPoint(const QPoint& point) const override {
        return WordsRect().contains(point) ? 0 : -1;
    }
    void scrollToSubstring(int /*startIndex*/, int /*endIndex*/) override {}
    [[nodiscard]] QString attributes(int /*offset*/, int* startOffset,
                                     int* endOffset) const override {
        return WholeRun(characterCount(), startOffset, endOffset);
    }
};

}  // namespace quarl::ui
