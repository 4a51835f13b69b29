// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// What a button would do now, over the list as it is and with the texts as
// they are: the run's own plan and check, without the moves.

#include "norvane/file_list.h"
#include "norvane/rename_failure.h"
#include "norvane/rules.h"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace norvane {

struct Preview {
    std::size_t renamed = 0;    // listed files the run would move
    std::size_t leftAlone = 0;  // listed files it would not
    std::vector<std::pair<std::string, std::string>> first; // the first renames: name and new name
    std::optional<RenameFailure> refusal; // why the run would stop before moving anything
};

Preview preview(Rule rule, const FileList& files, const RuleTexts& texts, std::size_t shown = 8);

} // namespace norvane
