// SPDX-License-Identifier: MIT
// A file written whole beside the one it replaces and put in that one's place in one step, so
// that whatever stops the writing, the old file or the new one is there, whole. It knows nothing
// of what the file holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "document/FileIo.h"

namespace quarl {

// Writes all size bytes at offset, going on after short writes and interruptions; false on an
// error or a write that writes nothing.
bool WriteAll(FileIo& io, FileId file, const std::uint8_t* data, std::size_t size,
              std::int64_t offset);

// Where a replace failed.
enum class FailedAt : std::uint8_t { Begin, Write, Flush, Replace, FolderFlush };

// What a replace came to: the file replaced, to be written in place instead (and why), or
// failed (and where). A replace that failed at FolderFlush has put the new file in the old
// one's place, but that may not outlast a power cut.
struct SaveResult {
    enum class Outcome : std::uint8_t { Replaced, InPlace, Failed };
    Outcome outcome = Outcome::Failed;
    Step why = Step::Failed;              // with InPlace
    FailedAt failedAt = FailedAt::Begin;  // with Failed
};

class SaveFile {
  public:
    explicit SaveFile(FileIo& io) : io_(io) {}
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;
    // A save that was not committed is cancelled.
    ~SaveFile() { Cancel(); }

    // Begins the new file beside the file path leads to, which it will replace, and removes
    // the files that stopped saves left beside that one. Done, Failed, or why the file must be
    // written in place instead.
    Step Begin(const std::string& path);
    // Writes the bytes at offset; a failure is kept, and the commit fails.
    void Write(const std::uint8_t* data, std::size_t size, std::int64_t offset);
    // Puts the new file on the disk and then in the old one's place.
    SaveResult Commit();
    // Removes the new file, leaving the old one as it was.
    void Cancel();

    // The file that path led to, once begun.
    [[nodiscard]] const std::string& Target() const { return target_; }

  private:
    FileIo& io_;
    FileId file_ = kNoFile;
    std::string target_;
    std::string beside_;
    bool written_ = true;
};

}  // namespace quarl
