#include "norvane/platform.h"

#include "norvane/rename_run.h"

namespace norvane::platform {

void FileSystem::probeNames(const std::string& folder, std::size_t count, const NameAt& nameAt, const NameProbed& each) {
    for (std::size_t i = 0; i < count; ++i) each(i, probe(JoinPath(folder, nameAt(i))));
}

namespace {

class JoinedMoves final : public FileSystem::FolderMoves {
public:
    JoinedMoves(FileSystem& fileSystem, const std::string& folder)
        : fileSystem_(fileSystem), source_(JoinPath(folder, {})), destination_(source_), stem_(source_.size()) {}

    std::optional<SystemError> move(std::string_view from, std::string_view to) override {
        source_.resize(stem_);
        source_.append(from);
        destination_.resize(stem_);
        destination_.append(to);
        return fileSystem_.move(source_, destination_);
    }

private:
    FileSystem& fileSystem_;
    // Buffers that live across the moves: two allocations a file would be a
    // measurable share of a rename.
    std::string source_, destination_;
    std::size_t stem_;
};

} // namespace

std::unique_ptr<FileSystem::FolderMoves> FileSystem::movesIn(const std::string& folder) {
    return std::make_unique<JoinedMoves>(*this, folder);
}

} // namespace norvane::platform
