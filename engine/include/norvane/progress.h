// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// A move refused because another program holds the file open: the batch
// waits for an answer before it goes on.
struct HeldFile {
    std::string_view from; // the file's name in the batch's folder
    std::string_view to;
    std::vector<std::string> programs; // those holding it, where the system can say
    int errorNumber = 0;
    std::string errorText;
    // Left Unanswered, the move counts as refused, as any other refusal.
    enum class Answer { Unanswered, TryAgain, Stop };
    Answer answer = Answer::Unanswered;
};

struct BatchProgress {
    enum class Stage { Checking, Moving, Held };
    Stage stage = Stage::Checking;
    std::size_t done = 0;  // files checked, or moved, so far
    std::size_t total = 0; // of how many
    HeldFile* held = nullptr; // Stage::Held: the file, and where the answer goes
};

// Told now and then how a batch goes (every thousand files, and after at most
// 50 milliseconds of work), never once per file; returns whether to go on. A
// batch stops only between two moves, never inside one. A file held open by
// another program is told at once, as Stage::Held: the callback may set its
// answer (try the move again, or stop the batch there, as a cancel does).
using ProgressCallback = std::function<bool(const BatchProgress&)>;

} // namespace norvane
