// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Folders whose file system ignores letter case, on a real exFAT volume: a
// case-only rename goes through, case twins are one name, and a name taken
// under another case is taken. Which folders ignore case is asked of each
// folder, not assumed for the platform.

#include "norvane/rename_run.h"

#include "volume.h"
#include "recording_sink.h"
#include "temp_folder.h"
#include "shown.h"

#include <gtest/gtest.h>

#include <cctype>

namespace norvane {
namespace {

using testing::Volume;
using testing::RecordingSink;
using testing::TempFolder;
using Kind = RenameFailure::Kind;

class CaseBlind : public ::testing::Test {
protected:
    static void SetUpTestSuite() { volume_ = new Volume; }
    static void TearDownTestSuite() {
        delete volume_;
        volume_ = nullptr;
    }
    void SetUp() override {
        if (volume_->unavailable()) GTEST_SKIP() << "no exFAT volume: " << *volume_->unavailable();
        folder_.emplace(volume_->path());
    }

    static Volume* volume_;
    std::optional<TempFolder> folder_;
};

Volume* CaseBlind::volume_ = nullptr;

TEST_F(CaseBlind, EachFolderSaysWhetherItIgnoresCase) {
    folder_->addFile("Photo.JPG");
    EXPECT_TRUE(platform::nativeFileSystem().probeFolder(folder_->text()).ignoresCase);
    folder_->addFolder("empty");
    EXPECT_TRUE(platform::nativeFileSystem().probeFolder(folder_->pathOf("empty")).ignoresCase) << "told by its file system";
#ifndef _WIN32
    TempFolder onDisk; // ext4 and the like compare names byte for byte
    onDisk.addFile("Photo.JPG");
    EXPECT_FALSE(platform::nativeFileSystem().probeFolder(onDisk.text()).ignoresCase);
#endif
}

struct CaseCase {
    const char* what;
    Rule rule;
    std::vector<std::string> files;
    RuleTexts texts;
    std::set<std::string> namesAfter; // exact spelling
    std::optional<Kind> failure = std::nullopt;
    std::size_t failedAt = 0;
    std::string holder = {}; // NameTaken: the name that holds it, spelled otherwise
};

void PrintTo(const CaseCase& c, std::ostream* out) { *out << c.what; }

class CaseBlindRuns : public CaseBlind, public ::testing::WithParamInterface<CaseCase> {};

TEST_P(CaseBlindRuns, LeaveTheFolderAsExpected) {
    const CaseCase& c = GetParam();
    folder_->addFiles(c.files);
    FileList list;
    list.setPath(folder_->text());
    RecordingSink sink;

    const auto failure = norvane::Run(c.rule, list, c.texts, sink);

    if (c.failure) {
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->kind, *c.failure) << shown(*failure);
        EXPECT_EQ(failure->position, c.failedAt);
        EXPECT_EQ(failure->renamed, 0u) << shown(*failure);
        if (!c.holder.empty()) {
            EXPECT_EQ(failure->detail, c.holder) << shown(*failure);
        }
    } else {
        EXPECT_FALSE(failure.has_value()) << shown(*failure);
    }
    EXPECT_EQ(folder_->names(), c.namesAfter);
    for (const std::string& name : c.files) {
        if (c.namesAfter.count(name)) {
            EXPECT_EQ(folder_->contentOf(name), name);
        }
    }
}

constexpr Rule R = Rule::ReplaceName;
constexpr Rule E = Rule::ExtensionName;

INSTANTIATE_TEST_SUITE_P(Exfat, CaseBlindRuns, ::testing::Values(
    CaseCase{"a case-only rename", R, {"Photo1.JPG", "Photo2.JPG"}, {"JPG", "jpg"}, {"Photo1.jpg", "Photo2.jpg"}},
    CaseCase{"case twins are one name", E, {"Photo.png", "photo.gif"}, {"", "jpg"}, {"Photo.png", "photo.gif"},
             Kind::DuplicateName, 1},
    CaseCase{"a name taken under another case", R, {"a.txt", "b.TXT"}, {"a", "B"}, {"a.txt", "b.TXT"}, Kind::NameTaken, 0},
    CaseCase{"a name freed under another case", Rule::NumberName, {"002.TXT", "b.txt"}, {}, {"001.TXT", "002.txt"}},
    CaseCase{"a name taken under another case names the file that has it", Rule::NumberName, {"!x.txt", "001.TXT"}, {},
             {"!x.txt", "001.TXT"}, Kind::NameTaken, 0, "001.TXT"}),
    [](const ::testing::TestParamInfo<CaseCase>& info) {
        std::string name;
        for (const char* p = info.param.what; *p; ++p) name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    });

} // namespace
} // namespace norvane
