// SPDX-License-Identifier: MIT
#include "ui/Accessible.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QList>
#include <unordered_map>

#include "editing/Editing.h"
#include "ui/MapArea.h"
#include "view/Viewport.h"

namespace quarl::ui {

namespace {

class MapTable;

// One tile of the table, made when a screen reader asks for it; its words come from the model
// each time they are read, so a painted tile is read with its new value.
class MapCell final : public QAccessibleInterface, public QAccessibleTableCellInterface {
  public:
    MapCell(MapTable* table, int row, int column) : table_(table), row_(row), column_(column) {}

    [[nodiscard]] bool isValid() const override;
    [[nodiscard]] QObject* object() const override { return nullptr; }
    [[nodiscard]] QWindow* window() const override;
    [[nodiscard]] QAccessibleInterface* parent() const override;
    [[nodiscard]] QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
    [[nodiscard]] int childCount() const override { return 0; }
    [[nodiscard]] int indexOfChild(const QAccessibleInterface* /*child*/) const override {
        return -1;
    }
    [[nodiscard]] QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override {
        return nullptr;
    }
    [[nodiscard]] QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text /*type*/, const QString& /*text*/) override {}
    [[nodiscard]] QRect rect() const override;
    [[nodiscard]] QAccessible::Role role() const override { return QAccessible::Cell; }
    [[nodiscard]] QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

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
        const TileSpan span = Span();
        return cellAt(tile.row - span.firstRow, tile.col - span.firstCol);
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

bool MapCell::isValid() const {
    return table_->isValid() && row_ < table_->rowCount() && column_ < table_->columnCount();
}

QWindow* MapCell::window() const {
    return table_->window();
}

QAccessibleInterface* MapCell::parent() const {
    return table_;
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

// A combo box named for what it chooses ("Ore", "Brush size"); its choice is the selected item
// of its list. Qt's own combo box is named after its current item on Linux.
class NamedComboBox final : public QAccessibleWidget {
  public:
    explicit NamedComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    [[nodiscard]] QComboBox* Box() const { return static_cast<QComboBox*>(widget()); }

    [[nodiscard]] QString text(QAccessible::Text type) const override {
        if (type == QAccessible::Value) return Box()->currentText();
        return QAccessibleWidget::text(type);
    }
    [[nodiscard]] int childCount() const override { return 1; }
    [[nodiscard]] QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(Box()->view()) : nullptr;
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
};

}  // namespace

void Announce(QObject* source, const QString& text) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent event(source, text);
    QAccessible::updateAccessibility(&event);
#else
    // Before Qt 6.8 there is no announcement; the text box's own text-changed event is all a
    // screen reader gets.
    (void)source;
    (void)text;
#endif
}

QAccessibleInterface* AccessibleFactory(const QString& /*className*/, QObject* object) {
    if (auto* area = qobject_cast<MapArea*>(object)) return new MapTable(area);
    if (auto* box = qobject_cast<QComboBox*>(object)) {
        if (!box->isEditable() && !box->accessibleName().isEmpty()) return new NamedComboBox(box);
    }
    return nullptr;
}

}  // namespace quarl::ui
