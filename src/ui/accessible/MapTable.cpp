// SPDX-License-Identifier: MIT
// The map area as a table of the tiles on show, and each tile as one of its cells.
#include "ui/accessible/MapTable.h"

#include <QAccessibleWidget>
#include <QList>
#include <QStringList>
#include <unordered_map>

#include "editing/Editing.h"
#include "ui/MapArea.h"
#include "ui/accessible/Bridges.h"
#include "ui/accessible/Parts.h"
#include "view/Viewport.h"

namespace quarl::ui {

namespace {

class MapTable;

// One tile of the table, made when a screen reader asks for it; its words come from the model
// each time they are read, so a painted tile is read with its new value. Its words are its name
// alone, with no text interface: Orca 43's flat review reads a text cell word by word through
// many more calls, and took 20 s, not 7, over the 2400 cells of a 60 x 40 map. Its press is the
// screen reader's click: Orca 48 clicks a cell by its actions alone, UI Automation by Invoke.
class MapCell final : public Part,
                      public QAccessibleTableCellInterface,
                      public QAccessibleActionInterface {
  public:
    MapCell(MapTable* table, int row, int column);

    [[nodiscard]] bool isValid() const override;
    [[nodiscard]] QString text(QAccessible::Text type) const override;
    [[nodiscard]] QRect rect() const override;
    [[nodiscard]] QAccessible::Role role() const override { return QAccessible::Cell; }
    [[nodiscard]] QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableCellInterface) {
            return static_cast<QAccessibleTableCellInterface*>(this);
        }
        if (type == QAccessible::ActionInterface) {
            return static_cast<QAccessibleActionInterface*>(this);
        }
        return nullptr;
    }

    [[nodiscard]] QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& actionName) override;
    [[nodiscard]] QStringList keyBindingsForAction(const QString& /*actionName*/) const override {
        return {};
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
    [[nodiscard]] QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        if (FocusOnCellAlone() && focusChild() != nullptr) state.focused = false;
        return state;
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

// UI Automation's SetFocus asks for the focus action, listed or not: the cell becomes the current
// one, as under the pointer.
void MapCell::doAction(const QString& actionName) {
    if (!isValid()) return;
    if (actionName == pressAction()) table_->Area()->PressTile(Tile());
    if (actionName == setFocusAction()) table_->Area()->MoveToTile(Tile());
}

QRect MapCell::rect() const {
    const MapArea* area = table_->Area();
    const QRect cell = area->WidgetRectOf(Tile());
    return QRect(area->mapToGlobal(cell.topLeft()), cell.size());
}

QAccessible::State MapCell::state() const {
    QAccessible::State state;
    state.focusable = true;
    // Scrolled out of the window, or the window too small for the whole map area.
    state.offscreen = table_->Area()->WidgetRectOf(Tile()).isEmpty();
    state.focused = table_->Area()->hasFocus() && table_->Area()->CurrentTile() == Tile();
    return state;
}

}  // namespace

QAccessibleInterface* NewMapTable(MapArea* area) {
    return new MapTable(area);
}

}  // namespace quarl::ui
