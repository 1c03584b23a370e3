// SPDX-License-Identifier: MIT
#include "ui/accessible/Speech.h"

#include <QLineEdit>
#include <QString>
#include <QStringList>

#include "ui/MapArea.h"
#include "ui/accessible/Announce.h"
#include "ui/accessible/Bridges.h"

namespace quarl::ui {

namespace {

// The new words of the current cell where the change of a cell's name goes unheard, to be
// said instead; nothing for any other tile.
QString UnheardWords(const MapArea& map, const Types& model, TilePos tile) {
    if (CellNameChangesHeard() || tile != map.CurrentTile() || !map.hasFocus() ||
        map.CellIndex(tile) < 0) {
        return {};
    }
    return QString::fromStdString(DescribeTile(model, tile.col, tile.row));
}

}  // namespace

void TellPress(MapArea& map, const Types& model, const Change& change) {
    map.TilesChanged(change.written);
    map.TellChangedTiles();
    QStringList said;
    if (const QString words = UnheardWords(map, model, change.tile); !words.isEmpty()) {
        said << words;
    }
    const int count = change.written.cols * change.written.rows;
    if (count > 1) said << QStringLiteral("%1 tiles").arg(count);
    if (!said.isEmpty()) Announce(&map, said.join(QStringLiteral(". ")));
}

void TellDrawn(MapArea& map, const TileSpan& drawn) {
    map.TilesChanged(drawn);
}

void TellSpace(MapArea& map, const Types& model, TilePos tile) {
    map.TilesChanged({tile.col, tile.row, 1, 1});
    map.TellChangedTiles();
    const QString words = UnheardWords(map, model, tile);
    if (!words.isEmpty()) Announce(&map, words);
}

void TellStatus(QLineEdit* status) {
    Announce(status, status->text());
}

}  // namespace quarl::ui
