// SPDX-License-Identifier: MIT
// Named combo boxes that say their choice, and the keeper of that choice in the hidden list.
#include "ui/accessible/ComboBoxes.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QEvent>
#include <QItemSelectionModel>
#include <QList>

#include "ui/accessible/Announce.h"
#include "ui/accessible/Parts.h"

namespace quarl::ui {

namespace {

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

// A combo box named for what it chooses ("Ore", "Brush size"); its choice is the selected item
// of its list, and its text. Qt's own combo box is named after its current item on Linux.
class NamedComboBox final : public QAccessibleWidget,
                            public ReadOnlyText
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    ,
                            public QAccessibleSelectionInterface
#endif
{
  public:
    explicit NamedComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    [[nodiscard]] QComboBox* Box() const {
        return static_cast<QComboBox*>(widget());
    }

    using ReadOnlyText::text;
    [[nodiscard]] QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Value) return Box()->currentText();
        return QAccessibleWidget::text(type);
    }
    [[nodiscard]] int childCount() const override {
        return 1;
    }
    [[nodiscard]] QAccessibleInterface* child(int index) const override {
        return index == 0 ? List() : nullptr;
    }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override {
        return child != nullptr && child->object() == Box()->view() ? 0 : -1;
    }
    [[nodiscard]] QStringList actionNames() const override {
        return {showMenuAction(), pressAction()};
    }
    void doAction(const QString& action) override {
        if (action == showMenuAction() || action == pressAction()) Box()->showPopup();
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<ReadOnlyText*>(this);
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
        if (type == QAccessible::SelectionInterface) {
            return static_cast<QAccessibleSelectionInterface*>(this);
        }
#endif
        return QAccessibleWidget::interface_cast(type);
    }

    // The choice as text, which Orca 43 reads as a combo box's value.
    [[nodiscard]] QString Words() const override {
        return Box()->currentText();
    }
    [[nodiscard]] QRect WordsRect() const override {
        return rect();
    }

#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    // The chosen item of the list, which Orca 48 reads when the choice changes.
    [[nodiscard]] int selectedItemCount() const override {
        return Chosen() != nullptr ? 1 : 0;
    }
    [[nodiscard]] QList<QAccessibleInterface*> selectedItems() const override {
        if (QAccessibleInterface* chosen = Chosen()) return {chosen};
        return {};
    }
    bool select(QAccessibleInterface* childItem) override {
        const QAccessibleInterface* list = List();
        const int index = list != nullptr ? list->indexOfChild(childItem) : -1;
        if (index < 0 || index >= Box()->count()) return false;
        Box()->setCurrentIndex(index);
        return true;
    }
    bool unselect(QAccessibleInterface* /*childItem*/) override {
        return false;
    }
    bool selectAll() override {
        return false;
    }
    bool clear() override {
        return false;
    }
#endif

  private:
    [[nodiscard]] QAccessibleInterface* List() const {
        return QAccessible::queryAccessibleInterface(Box()->view());
    }
    [[nodiscard]] QAccessibleInterface* Chosen() const {
        QAccessibleInterface* list = List();
        const int index = Box()->currentIndex();
        return list != nullptr && index >= 0 ? list->child(index) : nullptr;
    }
};

// Keeps a combo box's choice selected in its hidden list, where a screen reader reads it, and
// no item of the hidden list current, which a screen reader would take for the focus.
class ChoiceKeeper final : public QObject {
  public:
    explicit ChoiceKeeper(QComboBox* box) : QObject(box), box_(box) {
        connect(box, &QComboBox::currentIndexChanged, this, &ChoiceKeeper::Select);
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
        // Orca 43 hears of no change of a closed combo box's choice without a selection that
        // Qt 6.4 cannot give: the new choice is announced.
        connect(box, &QComboBox::currentIndexChanged, this, [box] {
            if (box->hasFocus() && !box->view()->isVisible()) Announce(box, box->currentText());
        });
#endif
        box->view()->installEventFilter(this);
        Select();
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) Select();
        // The combo box reads the list's current item after hiding it, on Return: later, then.
        if (event->type() == QEvent::Hide) {
            QMetaObject::invokeMethod(this, &ChoiceKeeper::Select, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    // The popped-up list starts from the choice, as it does without the keeper.
    void Select() {
        QItemSelectionModel* selection = box_->view()->selectionModel();
        const QModelIndex choice = box_->model()->index(box_->currentIndex(), box_->modelColumn());
        selection->select(choice, QItemSelectionModel::ClearAndSelect);
        selection->setCurrentIndex(box_->view()->isVisible() ? choice : QModelIndex(),
                                   QItemSelectionModel::NoUpdate);
    }

    QComboBox* box_;
};

}  // namespace

QAccessibleInterface* NewNamedComboBox(QComboBox* box) {
    return new NamedComboBox(box);
}

void KeepChoiceSelected(QComboBox* box) {
    new ChoiceKeeper(box);
}

}  // namespace quarl::ui
