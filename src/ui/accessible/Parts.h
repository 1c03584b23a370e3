// SPDX-License-Identifier: MIT
// What the accessible interfaces share: a part of a control with no widget of its own, and the
// whole-text run of attributes.
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

}  // namespace quarl::ui
