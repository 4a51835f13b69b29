// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What the journal asks the platform of a batch's folder and of its own
// files, in one place: how a folder is known again, whether its names are
// durable, what a rename keeps, and bounded reads of a journal file.

#include "journal/records.h"
#include "norvane/platform.h"
#include "platform/own_files.h"

#include <cstdint>
#include <optional>
#include <string>

namespace norvane::journal {

// The volume the folder lies on, as its own serial or UUID names it.
std::optional<std::string> volumeOf(const std::string& folder);

// Whether a rename in the folder keeps a file's last write; nullopt where it cannot be asked.
std::optional<bool> renameKeepsTime(const std::string& folder);

// The folder with every link followed, as the batch records it.
std::string resolvedFolder(const std::string& folder);

enum class Durability { Durable, NotPromised };
struct MadeDurable {
    Durability durability = Durability::NotPromised;
    std::optional<platform::SystemError> error;
};
// Makes the names in `folder` durable where its file system lets a program ask.
MadeDurable makeNamesDurable(platform::FileSystem& fileSystem, const std::string& folder);

// Whether `name` in the folder is a placeholder of this program's own, and
// removing it where it is.
bool isOwnPlaceholder(platform::Folder& folder, std::string_view name);
void removeOwnPlaceholder(platform::Folder& folder, std::string_view name);

// A journal file read a piece at a time.
class OwnFileBytes final : public Bytes {
public:
    explicit OwnFileBytes(platform::OwnFile& file);
    std::uint64_t size() const override { return size_; }
    std::string_view at(std::uint64_t offset, std::size_t length) override;
    bool failed() const override { return error_.has_value(); }
    const std::optional<platform::SystemError>& error() const { return error_; }

private:
    platform::OwnFile& file_;
    std::uint64_t size_ = 0;
    std::string whole_; // until the platform reads a piece at a time
    std::string piece_;
    std::optional<platform::SystemError> error_;
};

} // namespace norvane::journal
