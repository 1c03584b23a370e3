// SPDX-License-Identifier: MIT
#include "document/SaveFile.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace quarl {

namespace {

SaveResult FailedAtStep(FailedAt where) {
    return {SaveResult::Outcome::Failed, Step::Failed, where};
}

}  // namespace

bool WriteAll(FileIo& io, FileId file, const std::uint8_t* data, std::size_t size,
              std::int64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const std::int64_t n =
            io.WriteAt(file, data + done, size - done, offset + static_cast<std::int64_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

Step SaveFile::Begin(const std::string& path) {
    Cancel();
    written_ = true;
    const Step created = io_.CreateBeside(path, target_, beside_, file_);
    if (created != Step::Done) {
        file_ = kNoFile;
        return created;
    }
    const Step kept = io_.KeepAttributes(target_, file_);
    if (kept != Step::Done) {
        Cancel();
        return kept;
    }
    // Ours is held, so this never removes it, nor one another save is writing.
    io_.RemoveStale(target_);
    return Step::Done;
}

void SaveFile::Write(const std::uint8_t* data, std::size_t size, std::int64_t offset) {
    written_ = written_ && file_ != kNoFile && WriteAll(io_, file_, data, size, offset);
}

SaveResult SaveFile::Commit() {
    if (file_ == kNoFile) return FailedAtStep(FailedAt::Begin);
    if (!written_) {
        Cancel();
        return FailedAtStep(FailedAt::Write);
    }
    if (!io_.Sync(file_)) {
        Cancel();
        return FailedAtStep(FailedAt::Flush);
    }
    const Step replaced = io_.Replace(std::exchange(file_, kNoFile), beside_, target_);
    if (replaced != Step::Done) {
        io_.Remove(beside_);
        if (WritesInPlace(replaced)) return {SaveResult::Outcome::InPlace, replaced};
        return FailedAtStep(FailedAt::Replace);
    }
    if (io_.SyncFolder(target_) != Step::Done) return FailedAtStep(FailedAt::FolderFlush);
    return {SaveResult::Outcome::Replaced, Step::Done};
}

void SaveFile::Cancel() {
    if (file_ == kNoFile) return;
    io_.Close(std::exchange(file_, kNoFile));
    io_.Remove(beside_);
}

}  // namespace quarl
