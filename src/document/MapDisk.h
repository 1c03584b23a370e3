// SPDX-License-Identifier: MIT
// The map file on disk, through the file seam: read whole for a load; for a save, written whole
// beside itself and put in its place, or its changed records written in place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "document/FileIo.h"
#include "document/MapRecords.h"
#include "document/SaveFile.h"
#include "document/Types.h"

namespace quarl {

// A map file as a load reads it.
struct LoadedMap {
    std::int16_t width = 0;
    std::int16_t height = 0;
    std::int32_t tileCount = 0;
    std::int32_t fileSize = 0;
    MapLayers layers;
};

// The map at path, or nothing when it is no regular file, cannot be read, is 2 GiB or more, or
// its header is short or gives a map that cannot be held. Bytes past the end of the file read
// as 0.
[[nodiscard]] std::optional<LoadedMap> ReadMapFile(FileIo& io, const std::string& path);

// Saves the map by writing it whole beside itself and putting that in its place, so that
// whatever stops the save, the map on disk is the old one or the new one, never a mix; or says
// why it must be written in place instead.
[[nodiscard]] SaveResult SaveBeside(FileIo& io, const Types& model);

// Patches the records in the file: reads what is on disk now, sets the layers' bytes of each
// record and writes back only the runs of records that differ, so that a stop part-way can tear
// no more than the change. A short file grows as byte-by-byte writes would grow it.
[[nodiscard]] bool WriteRecords(FileIo& io, const Types& model);

}  // namespace quarl
