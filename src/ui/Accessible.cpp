// SPDX-License-Identifier: MIT
#include "ui/Accessible.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QEvent>
#include <QFontMetrics>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QList>
#include <cstddef>
#include <unordered_map>
#include <vector>

#include "editing/Editing.h"
#include "ui/MapArea.h"
#include "view/Viewport.h"

namespace quarl::ui {

namespace {

class MapTable;

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
QString WholeRun(int characterCount, int* startOffset, int* endOffset) {
    *startOffset = 0;
    *endOffset = characterCount;
    return {};
}

// Words that are read, not edited: a combo box's choice, a tile's description. Every character
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

// One tile of the table, made when a screen reader asks for it; its words come from the model
// each time they are read, so a painted tile is read with its new value.
class MapCell final : public Part, public QAccessibleTableCellInterface, public ReadOnlyText {
  public:
    MapCell(MapTable* table, int row, int column);

    [[nodiscard]] bool isValid() const override;
    using ReadOnlyText::text;
    [[nodiscard]] QString text(QAccessible::Text type) const override;
    [[nodiscard]] QRect rect() const override;
    [[nodiscard]] QAccessible::Role role() const override { return QAccessible::Cell; }
    [[nodiscard]] QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface) {
            return static_cast<QAccessibleTableCellInterface*>(this);
        }
        return type == QAccessible::TextInterface ? static_cast<ReadOnlyText*>(this) : nullptr;
    }
    [[nodiscard]] QString Words() const override { return text(QAccessible::Name); }
    [[nodiscard]] QRect WordsRect() const override { return rect(); }

    [[nodiscard]] bool isSelected() const override { return false; }
    [[nodiscard]] QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    [[nodiscard]] QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    [[nodiscard]] int columnIndex() const override { return column_; }
    [[nodiscard]] int rowIndex() const override { return row_; }
    [[nodiscard]] int columnExtent() const override { return 1; }
    [[nodiscard]] int rowExtent() const override { return 1; }
    [[nodiscard]] QAccessibleInterface* table() const override;

  private:
    [[nodiscard]] TilePos Tile() const;

    MapTable* table_;
    int row_;
    int column_;
};

// The map area as a table of the tiles on show, one cell per tile. Cells are made on demand
// and forgotten whenever the view changes; nothing is kept per tile of the map.
class MapTable final : public QAccessibleWidget, public QAccessibleTableInterface {
  public:
    explicit MapTable(MapArea* area) : QAccessibleWidget(area, QAccessible::Table) {}
    ~MapTable() override { ForgetCells(); }
    MapTable(const MapTable&) = delete;
    MapTable& operator=(const MapTable&) = delete;

    [[nodiscard]] MapArea* Area() const { return static_cast<MapArea*>(widget()); }
    [[nodiscard]] TileSpan Span() const { return Area()->TilesOnShow(); }

    [[nodiscard]] QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Description) {
            return QString::fromStdString(DescribeView(Area()->Model().ViewMode)) +
                   QStringLiteral(". ") + Area()->accessibleDescription();
        }
        return QAccessibleWidget::text(type);
    }
    [[nodiscard]] int childCount() const override { return Span().rows * Span().cols; }
    [[nodiscard]] QAccessibleInterface* child(int index) const override {
        const TileSpan span = Span();
        if (index < 0 || index >= span.rows * span.cols) return nullptr;
        return Cell(index / span.cols, index % span.cols);
    }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface* child) const override {
        if (child == nullptr || child->parent() != this || child->role() != QAccessible::Cell) {
            return -1;
        }
        const auto* cell = static_cast<const MapCell*>(child);
        return cell->rowIndex() * Span().cols + cell->columnIndex();
    }
    [[nodiscard]] QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint at = Area()->mapFromGlobal(QPoint(x, y));
        const TilePos tile = Area()->TileAtWidget(at);
        return CellOfTile(tile);
    }
    [[nodiscard]] QAccessibleInterface* focusChild() const override {
        return Area()->hasFocus() ? CellOfTile(Area()->CurrentTile()) : nullptr;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    [[nodiscard]] QAccessibleInterface* caption() const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface* summary() const override { return nullptr; }
    [[nodiscard]] QAccessibleInterface* cellAt(int row, int column) const override {
        const TileSpan span = Span();
        if (row < 0 || row >= span.rows || column < 0 || column >= span.cols) return nullptr;
        return Cell(row, column);
    }
    [[nodiscard]] int columnCount() const override { return Span().cols; }
    [[nodiscard]] int rowCount() const override { return Span().rows; }
    [[nodiscard]] QString columnDescription(int column) const override {
        return QStringLiteral("column %1").arg(Span().firstCol + column);
    }
    [[nodiscard]] QString rowDescription(int row) const override {
        return QStringLiteral("row %1").arg(Span().firstRow + row);
    }
    [[nodiscard]] int selectedCellCount() const override { return 0; }
    [[nodiscard]] int selectedColumnCount() const override { return 0; }
    [[nodiscard]] int selectedRowCount() const override { return 0; }
    [[nodiscard]] QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    [[nodiscard]] QList<int> selectedColumns() const override { return {}; }
    [[nodiscard]] QList<int> selectedRows() const override { return {}; }
    [[nodiscard]] bool isColumnSelected(int /*column*/) const override { return false; }
    [[nodiscard]] bool isRowSelected(int /*row*/) const override { return false; }
    bool selectRow(int /*row*/) override { return false; }
    bool selectColumn(int /*column*/) override { return false; }
    bool unselectRow(int /*row*/) override { return false; }
    bool unselectColumn(int /*column*/) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* /*event*/) override { ForgetCells(); }

  private:
    [[nodiscard]] QAccessibleInterface* CellOfTile(TilePos tile) const {
        return child(Area()->CellIndex(tile));
    }

    [[nodiscard]] QAccessibleInterface* Cell(int row, int column) const {
        const int key = (row << 16) | column;
        const auto known = cells_.find(key);
        if (known != cells_.end()) return QAccessible::accessibleInterface(known->second);
        auto* cell = new MapCell(const_cast<MapTable*>(this), row, column);
        cells_.emplace(key, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }

    void ForgetCells() {
        for (const auto& [key, id] : cells_) QAccessible::deleteAccessibleInterface(id);
        cells_.clear();
    }

    mutable std::unordered_map<int, QAccessible::Id> cells_;
};

MapCell::MapCell(MapTable* table, int row, int column)
    : Part(table), table_(table), row_(row), column_(column) {}

bool MapCell::isValid() const {
    return table_->isValid() && row_ < table_->rowCount() && column_ < table_->columnCount();
}

QAccessibleInterface* MapCell::table() const {
    return table_;
}

TilePos MapCell::Tile() const {
    const TileSpan span = table_->Span();
    return {static_cast<std::int16_t>(span.firstCol + column_),
            static_cast<std::int16_t>(span.firstRow + row_)};
}

QString MapCell::text(QAccessible::Text type) const {
    const TilePos tile = Tile();
    const Types& model = table_->Area()->Model();
    if (type != QAccessible::Name || !model.OnMap(tile.col, tile.row)) return {};
    return QString::fromStdString(DescribeTile(model, tile.col, tile.row));
}

QRect MapCell::rect() const {
    const MapArea* area = table_->Area();
    const QRect cell = area->WidgetRectOf(Tile());
    return QRect(area->mapToGlobal(cell.topLeft()), cell.size());
}

QAccessible::State MapCell::state() const {
    QAccessible::State state;
    state.focusable = true;
    state.focused = table_->Area()->hasFocus() && table_->Area()->CurrentTile() == Tile();
    return state;
}

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

void Announce(QObject* source, const QString& text) {
    if (!QAccessible::isActive()) return;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(source, text);
    QAccessible::updateAccessibility(&event);
#else
    // Before Qt 6.8 there is no announcement: the window's status line shows a notice instead.
    auto* widget = qobject_cast<QWidget*>(source);
    auto* line = widget != nullptr
                     ? widget->window()->findChild<QLineEdit*>(QStringLiteral("TxtStatus"))
                     : nullptr;
    QAccessibleInterface* status = QAccessible::queryAccessibleInterface(line);
    for (int i = 0; status != nullptr && i < status->childCount(); ++i) {
        QAccessibleInterface* part = status->child(i);
        if (part->role() == QAccessible::Notification) static_cast<Notice*>(part)->Show(text);
    }
#endif
}

void KeepChoiceSelected(QComboBox* box) {
    new ChoiceKeeper(box);
}

QAccessibleInterface* AccessibleFactory(const QString& /*className*/, QObject* object) {
    if (auto* area = qobject_cast<MapArea*>(object)) return new MapTable(area);
    if (auto* box = qobject_cast<QComboBox*>(object)) {
        if (!box->isEditable() && !box->accessibleName().isEmpty()) return new NamedComboBox(box);
    }
    if (auto* edit = qobject_cast<QLineEdit*>(object)) {
        if (edit->echoMode() != QLineEdit::Normal) return nullptr;
        if (edit->objectName() == QLatin1String("TxtStatus")) return new StatusLine(edit);
        return new TextBox(edit);
    }
    return nullptr;
}

}  // namespace quarl::ui
