// SPDX-License-Identifier: MIT
// A file system in memory behind the map file's seam: folders of named files, open files, the
// hold a save keeps on the file it writes, and one fault the fuzzer chooses, so that fuzzed
// saves go through the replace and its failures as saves on disk do.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "SeamCall.h"
#include "document/FileIo.h"

class MemoryFileIo final : public quarl::FileIo {
  public:
    using Call = quarl::testing::SeamCall;

    // The nth call of a kind fails, if any; a step of the replace answers step.
    struct Fault {
        std::optional<Call> call;
        int nth = 1;
        quarl::Step step = quarl::Step::Failed;
    };

    explicit MemoryFileIo(Fault fault) : fault_(fault) {}

    // From now on the fault may strike: after the map is loaded, so that it meets the save.
    void Arm() { armed_ = true; }

    void Put(const std::string& path, const std::vector<std::uint8_t>& bytes) {
        files_[path] = std::make_shared<Bytes>(bytes);
    }
    [[nodiscard]] std::vector<std::uint8_t> BytesOf(const std::string& path) const {
        const auto found = files_.find(path);
        return found == files_.end() ? std::vector<std::uint8_t>{} : *found->second;
    }
    [[nodiscard]] std::vector<std::string> Paths() const {
        std::vector<std::string> paths;
        for (const auto& file : files_) paths.push_back(file.first);
        return paths;
    }
    // Whether the fault's call was made, and whether it sent the save in place.
    [[nodiscard]] bool Faulted() const { return faulted_; }
    [[nodiscard]] bool FaultedAt(Call call) const { return faulted_ && fault_.call == call; }
    [[nodiscard]] bool SentInPlace() const {
        return faulted_ && quarl::WritesInPlace(fault_.step) &&
               (fault_.call == Call::Create || fault_.call == Call::Attributes ||
                fault_.call == Call::Replace);
    }

    quarl::FileId Open(const std::string& path, quarl::FileAccess /*access*/) override {
        const auto found = files_.find(path);
        if (Fails(Call::Open) || found == files_.end()) return quarl::kNoFile;
        return Hold(found->second, false);
    }
    bool RegularFileSize(quarl::FileId file, std::int64_t& size) override {
        if (Fails(Call::Stat)) return false;
        size = static_cast<std::int64_t>(Of(file).size());
        return true;
    }
    std::int64_t ReadAt(quarl::FileId file, void* data, std::size_t size,
                        std::int64_t offset) override {
        if (Fails(Call::Read)) return Error();
        const Bytes& bytes = Of(file);
        const auto at = static_cast<std::size_t>(offset);
        if (at >= bytes.size()) return 0;
        const std::size_t n = std::min(size, bytes.size() - at);
        std::memcpy(data, bytes.data() + at, n);
        return static_cast<std::int64_t>(n);
    }
    std::int64_t WriteAt(quarl::FileId file, const void* data, std::size_t size,
                         std::int64_t offset) override {
        if (Fails(Call::Write)) return Error();
        Bytes& bytes = Of(file);
        const auto at = static_cast<std::size_t>(offset);
        if (bytes.size() < at + size) bytes.resize(at + size, 0);
        if (size > 0) std::memcpy(bytes.data() + at, data, size);
        return static_cast<std::int64_t>(size);
    }
    bool Sync(quarl::FileId /*file*/) override { return !Fails(Call::Sync); }
    bool Close(quarl::FileId file) override {
        open_.erase(file);
        return !Fails(Call::Close);
    }
    quarl::Step CreateBeside(const std::string& path, std::string& target, std::string& beside,
                             quarl::FileId& file) override {
        if (Fails(Call::Create)) return fault_.step;
        if (files_.count(path) == 0) return quarl::Step::Failed;
        target = path;
        const auto slash = path.rfind('/') + 1;
        std::string unique = std::to_string(++made_);
        unique = std::string(quarl::kBesideUnique - unique.size(), '0') + unique;
        beside = path.substr(0, slash) + quarl::BesidePrefix(path.substr(slash)) + unique +
                 std::string(quarl::kBesideEnding);
        Put(beside, {});
        file = Hold(files_[beside], true);
        return quarl::Step::Done;
    }
    quarl::Step KeepAttributes(const std::string& /*target*/, quarl::FileId /*file*/) override {
        return Fails(Call::Attributes) ? fault_.step : quarl::Step::Done;
    }
    quarl::Step Replace(quarl::FileId file, const std::string& beside,
                        const std::string& target) override {
        open_.erase(file);
        if (Fails(Call::Replace)) return fault_.step;
        files_[target] = files_[beside];
        files_.erase(beside);
        return quarl::Step::Done;
    }
    quarl::Step SyncFolder(const std::string& /*path*/) override {
        return Fails(Call::SyncFolder) ? fault_.step : quarl::Step::Done;
    }
    bool Remove(const std::string& path) override {
        return !Fails(Call::Remove) && files_.erase(path) == 1;
    }
    int RemoveStale(const std::string& target) override {
        if (Fails(Call::Stale)) return 0;
        const auto slash = target.rfind('/') + 1;
        const std::string folder = target.substr(0, slash);
        int removed = 0;
        for (auto it = files_.begin(); it != files_.end();) {
            const std::string& path = it->first;
            const bool stale = path.compare(0, slash, folder) == 0 &&
                               quarl::IsBesideOf(path.substr(slash), target.substr(slash)) &&
                               !IsHeld(it->second);
            it = stale ? files_.erase(it) : std::next(it);
            removed += stale ? 1 : 0;
        }
        return removed;
    }

  private:
    using Bytes = std::vector<std::uint8_t>;
    struct OpenFile {
        std::shared_ptr<Bytes> bytes;
        bool held;
    };

    bool Fails(Call call) {
        if (!armed_ || call != fault_.call || ++calls_ != fault_.nth) return false;
        faulted_ = true;
        return true;
    }
    static std::int64_t Error() {
        errno = EIO;
        return -1;
    }
    quarl::FileId Hold(const std::shared_ptr<Bytes>& bytes, bool held) {
        open_[++handles_] = {bytes, held};
        return handles_;
    }
    Bytes& Of(quarl::FileId file) { return *open_.at(file).bytes; }
    [[nodiscard]] bool IsHeld(const std::shared_ptr<Bytes>& bytes) const {
        for (const auto& file : open_) {
            if (file.second.held && file.second.bytes == bytes) return true;
        }
        return false;
    }

    Fault fault_;
    int calls_ = 0;
    bool armed_ = false;
    bool faulted_ = false;
    int made_ = 0;
    quarl::FileId handles_ = 100;
    std::map<std::string, std::shared_ptr<Bytes>> files_;
    std::map<quarl::FileId, OpenFile> open_;
};
