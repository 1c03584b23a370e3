// SPDX-License-Identifier: MIT
// The map file's commands: Load Map, Save Map and Clear Map, with their texts and what they
// ask of the mode buttons.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "document/FileIo.h"
#include "document/MapRecords.h"
#include "document/Types.h"

namespace quarl {

// What a file command asks of the mode buttons.
enum class ModeButtons { Keep, Enable, Disable };

// What the window must show after a file command; empty fields leave the window as it is.
struct FileCommandResult {
    std::optional<std::string> status;  // new text of the status line
    std::optional<std::string> error;   // text of a message box
    ModeButtons buttons = ModeButtons::Keep;
};

inline constexpr const char* kLoadError = "Error loading map";
inline constexpr const char* kSaveError = "Error saving map";

// Loads the file at path, titled title (its name without folders). An empty path is a
// cancelled dialog and changes nothing. A failed load leaves the model as it was.
[[nodiscard]] FileCommandResult LoadMap(Types& model, const std::string& path,
                                        const std::string& title, FileIo& io);
[[nodiscard]] inline FileCommandResult LoadMap(Types& model, const std::string& path,
                                               const std::string& title) {
    SystemFileIo io;
    return LoadMap(model, path, title, io);
}

// Writes the six bytes of every tile back into FileName; does nothing without one. The file
// keeps every other byte, its owner, mode and attributes: it is written whole beside the map
// and then put in its place, so that a stopped or failed save leaves the old map. Only where a
// replace would lose something (another link, an owner or attribute a new file cannot take,
// named streams, a folder the user may not write, a map another program holds, one with no
// name of its own) are the records that changed written in place, which a stop can leave half
// done. Fails, writing nothing, when the file's header no longer gives the map's width and
// height.
[[nodiscard]] FileCommandResult SaveMap(Types& model, FileIo& io);
[[nodiscard]] inline FileCommandResult SaveMap(Types& model) {
    SystemFileIo io;
    return SaveMap(model, io);
}

// Resets every layer entry, the spare one too.
void ClearMap(Types& model);

}  // namespace quarl
