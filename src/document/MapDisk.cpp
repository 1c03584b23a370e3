// SPDX-License-Identifier: MIT
#include "document/MapDisk.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "document/SaveFile.h"

namespace quarl {

namespace {

// Closes the file when the command ends, whichever way it ends.
class FileHandle {
  public:
    FileHandle(FileIo& io, FileId file) : io_(io), file_(file) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() {
        if (file_ != kNoFile) io_.Close(file_);
    }
    [[nodiscard]] FileId get() const { return file_; }
    [[nodiscard]] bool Close() { return io_.Close(std::exchange(file_, kNoFile)); }

  private:
    FileIo& io_;
    FileId file_;
};

// The size of the opened file when it is a regular one. A directory, a FIFO or a device is
// refused.
std::optional<std::int64_t> RegularFileSize(FileIo& io, const FileHandle& file) {
    std::int64_t size = 0;
    if (file.get() == kNoFile || !io.RegularFileSize(file.get(), size)) return std::nullopt;
    return size;
}

// Reads up to size bytes at offset; returns how many were read (less only at the end of
// the file), or -1 on an error.
std::int64_t ReadAt(FileIo& io, FileId file, std::uint8_t* data, std::size_t size,
                    std::int64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const std::int64_t n =
            io.ReadAt(file, data + done, size - done, offset + static_cast<std::int64_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

// Records read per chunk: small enough to stay in the cache between the copy and the decode.
constexpr std::int32_t kChunkRecords = 2048;

// Reads the records into fresh layers; bytes past the end of the file read as 0.
bool ReadLayers(FileIo& io, FileId file, LoadedMap& map) {
    if (map.tileCount < 0) return false;
    const auto entries = static_cast<std::size_t>(map.tileCount) + 1;
    for (TileLayer& layer : map.layers) layer.assign(entries, 0);
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(kChunkRecords) * kRecordSize);
    for (std::int32_t first = 0; first < map.tileCount; first += kChunkRecords) {
        const std::int32_t count = std::min(kChunkRecords, map.tileCount - first);
        const auto size = static_cast<std::size_t>(count) * kRecordSize;
        const std::int64_t offset = kHeaderSize + std::int64_t{first} * kRecordSize;
        const std::int64_t got = ReadAt(io, file, chunk.data(), size, offset);
        if (got < 0) return false;
        std::fill(chunk.begin() + got, chunk.begin() + static_cast<std::ptrdiff_t>(size), 0);
        DecodeRecords(map.layers, chunk.data(), first, count);
    }
    return true;
}

// The width and height of a header, or nothing when the file is too short to hold both.
std::optional<std::pair<std::int16_t, std::int16_t>> ReadSize(FileIo& io, FileId file) {
    std::uint8_t header[kHeaderSize] = {};
    if (ReadAt(io, file, header, sizeof header, 0) < 6) return std::nullopt;
    return std::pair{Int16At(header), Int16At(header + 4)};
}

}  // namespace

std::optional<LoadedMap> ReadMapFile(FileIo& io, const std::string& path) {
    FileHandle file(io, io.Open(path, FileAccess::Read));
    const auto fileSize = RegularFileSize(io, file);
    if (!fileSize || *fileSize > INT32_MAX) return std::nullopt;
    const auto size = ReadSize(io, file.get());
    if (!size) return std::nullopt;

    LoadedMap map;
    map.width = size->first;
    map.height = size->second;
    const auto count = TileCountOf(map.width, map.height);
    if (!count) return std::nullopt;
    map.tileCount = *count;
    map.fileSize = static_cast<std::int32_t>(*fileSize);
    if (!ReadLayers(io, file.get(), map)) return std::nullopt;
    if (!file.Close()) return std::nullopt;
    return map;
}

namespace {

// The map's size on disk when the open file is still the map the model was read from. A file
// whose header no longer gives the map's size (another program rewrote it, or the path now
// names another map) is not: our records would scramble it.
std::optional<std::int64_t> CheckedSize(FileIo& io, const FileHandle& file, const Types& model) {
    const auto length = RegularFileSize(io, file);
    if (!length) return std::nullopt;
    const auto size = ReadSize(io, file.get());
    if (!size || size->first != model.MapWidth || size->second != model.MapHeight) {
        return std::nullopt;
    }
    return length;
}

}  // namespace

bool WriteRecords(FileIo& io, const Types& model) {
    FileHandle file(io, io.Open(model.FileName, FileAccess::ReadWrite));
    if (!CheckedSize(io, file, model)) return false;

    std::vector<std::uint8_t> disk(RecordSpan(model.TileCount));
    const std::int64_t got = ReadAt(io, file.get(), disk.data(), disk.size(), kHeaderSize);
    if (got < 0) return false;
    std::fill(disk.begin() + got, disk.end(), 0);
    std::vector<std::uint8_t> records = disk;
    PatchRecords(model, records.data());
    const std::size_t size = records.size();
    const auto read = static_cast<std::size_t>(got);
    constexpr auto kRecord = static_cast<std::size_t>(kRecordSize);
    // Whether the record at offset at differs from the disk; bytes not read count as differing.
    auto differs = [&](std::size_t at) {
        const std::size_t end = std::min(size, at + kRecord);
        return end > read || !std::equal(disk.begin() + static_cast<std::ptrdiff_t>(at),
                                         disk.begin() + static_cast<std::ptrdiff_t>(end),
                                         records.begin() + static_cast<std::ptrdiff_t>(at));
    };
    // The record after a run is the same on disk, so the next run starts past it.
    for (std::size_t at = 0; at < size; at += kRecord) {
        if (!differs(at)) continue;
        std::size_t end = at;
        while (end < size && differs(end)) end += kRecord;
        end = std::min(end, size);
        if (!WriteAll(io, file.get(), records.data() + at, end - at,
                      kHeaderSize + static_cast<std::int64_t>(at))) {
            return false;
        }
        at = end;
    }
    if (!io.Sync(file.get())) return false;
    return file.Close();
}

namespace {

// A whole map file as a save writes it: the bytes from the header to the last record byte, and
// the file's length; the bytes past them are those of the file on disk.
struct MapImage {
    std::vector<std::uint8_t> head;
    std::int64_t length = 0;
};

// The map file as it is on disk; bytes past its end read as 0.
std::optional<MapImage> ReadImage(FileIo& io, const FileHandle& file, const Types& model) {
    const auto length = CheckedSize(io, file, model);
    if (!length) return std::nullopt;
    MapImage image{std::vector<std::uint8_t>(kHeaderSize + RecordSpan(model.TileCount)), *length};
    const std::int64_t got = ReadAt(io, file.get(), image.head.data(), image.head.size(), 0);
    if (got < 0) return std::nullopt;
    std::fill(image.head.begin() + got, image.head.end(), 0);
    return image;
}

// The image with the model's records in it: the same bytes as a save in place leaves.
MapImage Patched(MapImage image, const Types& model) {
    if (model.TileCount <= 0) return image;
    PatchRecords(model, image.head.data() + kHeaderSize);
    image.length = std::max(image.length, static_cast<std::int64_t>(image.head.size()));
    return image;
}

// Copies the bytes of source from offset from to offset to into the new file, at the same
// offsets; false where the map grew shorter meanwhile.
bool CopyBytes(FileIo& io, FileId source, SaveFile& save, std::int64_t from, std::int64_t to) {
    constexpr std::int64_t kChunk = std::int64_t{1} << 20;
    if (to <= from) return true;
    std::vector<std::uint8_t> chunk(static_cast<std::size_t>(std::min(kChunk, to - from)));
    for (std::int64_t at = from; at < to; at += kChunk) {
        const auto size = static_cast<std::size_t>(std::min(kChunk, to - at));
        if (ReadAt(io, source, chunk.data(), size, at) != static_cast<std::int64_t>(size)) {
            return false;
        }
        save.Write(chunk.data(), size, at);
    }
    return true;
}

using Outcome = SaveResult::Outcome;

// Writes the whole image into a new file beside the map, with the rest of the file from source,
// and puts that in the map's place. The source is closed before the replace, as Windows
// replaces no open file.
SaveResult WriteBeside(FileIo& io, SaveFile& save, FileHandle& source, const MapImage& image) {
    const auto headSize = static_cast<std::size_t>(
        std::min(image.length, static_cast<std::int64_t>(image.head.size())));
    save.Write(image.head.data(), headSize, 0);
    if (!CopyBytes(io, source.get(), save, static_cast<std::int64_t>(headSize), image.length) ||
        !source.Close()) {
        save.Cancel();
        return {};
    }
    return save.Commit();
}

}  // namespace

SaveResult SaveBeside(FileIo& io, const Types& model) {
    SaveFile save(io);
    const Step begun = save.Begin(model.FileName);
    if (WritesInPlace(begun)) return {Outcome::InPlace, begun};
    if (begun != Step::Done) return {};
    // Opened for writing, though only read: a map that may not be written is not saved.
    FileHandle map(io, io.Open(model.FileName, FileAccess::ReadWrite));
    const auto old = ReadImage(io, map, model);
    if (!old) return {};
    const SaveResult saved = WriteBeside(io, save, map, Patched(*old, model));
    if (saved.outcome != Outcome::Failed || saved.failedAt != FailedAt::FolderFlush) return saved;
    // The replace may not outlast a power cut: put the old map back, so that a failed save
    // leaves it as it was. The rest of the file is the same in both.
    FileHandle now(io, io.Open(model.FileName, FileAccess::Read));
    SaveFile back(io);
    if (now.get() != kNoFile && back.Begin(model.FileName) == Step::Done) {
        (void)WriteBeside(io, back, now, *old);
    }
    return saved;
}

}  // namespace quarl
