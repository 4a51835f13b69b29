// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// A test's own account of what a run must do, worked out without the engine's
// planner: the files of a tree by path, and the run's moves replayed on them
// one by one as the file system would carry them out. Only the rules come
// from the engine (norvane::apply); every path, every collision and every
// "is this taken" is decided here.

#include "norvane/platform.h"
#include "norvane/rules.h"

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace norvane::testing {

// Paths are relative to the tree's root, with "/" between components.
struct TreeState {
    std::map<std::string, std::string> files; // path -> content
    std::set<std::string> folders;

    bool operator==(const TreeState&) const = default;
    bool exists(const std::string& path) const { return path.empty() || files.count(path) || folders.count(path); }
};

struct ModelMove {
    std::size_t position;
    std::string from;
    std::string to;
};

// Where the run must stop before moving anything, and why.
struct ModelStop {
    std::size_t position;
    bool missingPart = false;
    bool emptyName = false;
};

struct ModelRun {
    std::vector<ModelMove> moves;   // every move, in run order, when the run completes
    std::optional<ModelStop> stop;  // set when some file cannot go where its rule sends it
    bool leavesTree = false;        // a ".." climbs above the tree's root: the round is not usable
};

inline std::vector<std::string> splitPath(const std::string& text) {
    std::vector<std::string> parts{""};
    for (char c : text) {
        if (c == '/' || c == platform::directorySeparator()) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

inline std::string joinPath(const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += (text.empty() ? "" : "/") + part;
    return text;
}

// Replays a run of `rule` over `listed` (the list's names, in its order), the
// files of `folder` (a path in `tree`), one move at a time.
inline ModelRun replayRun(Rule rule, const RuleTexts& texts, const std::vector<std::string>& listed, const std::string& folder,
                          TreeState tree) {
    ModelRun run;
    const std::vector<std::string> folderParts = splitPath(folder);
    for (std::size_t position = 0; position < listed.size(); ++position) {
        const std::string& name = listed[position];
        const RuleResult result = apply(rule, name, position, texts);
        if (std::holds_alternative<Skip>(result)) continue;
        if (std::holds_alternative<MissingPart>(result)) {
            run.stop = ModelStop{position, true};
            return run;
        }
        const std::string& newName = std::get<NewName>(result).name;
        if (newName == name) continue;
        if (newName.empty()) {
            run.stop = ModelStop{position, false, true};
            return run;
        }

        // Walk the new name from the folder, as the file system resolves it.
        std::vector<std::string> at = folderParts;
        const std::vector<std::string> steps = splitPath(newName);
        bool refused = newName.find('\0') != std::string::npos;
        for (std::size_t i = 0; i + 1 < steps.size() && !refused; ++i) {
            const std::string& step = steps[i];
            if (step.empty() || step == ".") continue;
            if (step == "..") {
                if (at.empty()) {
                    run.leavesTree = true;
                    return run;
                }
                at.pop_back();
                continue;
            }
            at.push_back(step);
            refused = tree.folders.count(joinPath(at)) == 0;
        }
        const std::string& last = steps.back();
        // A trailing separator, "." or ".." names a folder, which is always taken.
        refused = refused || last.empty() || last == "." || last == ".." || last.size() > 255;
        at.push_back(last);
        const std::string to = joinPath(at);
        if (refused || tree.exists(to)) {
            run.stop = ModelStop{position};
            return run;
        }
        std::string from = joinPath(folderParts) + "/" + name;
        tree.files[to] = tree.files.at(from);
        tree.files.erase(from);
        run.moves.push_back({position, std::move(from), to});
    }
    return run;
}

// The tree after the first `count` moves.
inline TreeState afterMoves(TreeState tree, const std::vector<ModelMove>& moves, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        tree.files[moves[i].to] = tree.files.at(moves[i].from);
        tree.files.erase(moves[i].from);
    }
    return tree;
}

} // namespace norvane::testing
