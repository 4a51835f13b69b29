// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/settle.h"

#include "identity/same_file.h"
#include "norvane/path.h"
#include "platform/case_change.h"

#include <algorithm>
#include <exception>
#include <numeric>
#include <set>
#include <string_view>
#include <system_error>
#include <thread>

namespace norvane::journal {

namespace {

using platform::PathKind;

bool present(const platform::PathProbe& probe) { return !probe.error && probe.kind != PathKind::Absent; }

// The folder part of a name, with its separator: a parked file lies beside it.
std::string folderPartOf(std::string_view name) {
    const std::size_t cut = LastSeparator(name);
    return cut == std::string_view::npos ? std::string() : std::string(name.substr(0, cut + 1));
}

// Whether the file at `name` now is step `i`'s, as the batch knew it.
bool holdsStepFile(platform::Folder& folder, const BatchRecord& steps, std::size_t i, std::string_view name) {
    const std::optional<platform::FileIdentity> known = steps.file(i);
    if (!known) return false;
    const platform::PathProbe now = folder.probe(name);
    if (!present(now) || !now.identity) return false;
    const platform::FolderProbe& about = folder.about();
    // Where the name lies in another folder its own trust counts; this folder's is the usual case.
    const platform::IdentityTrust trust = folderPartOf(name).empty() ? about.trust : folder.probeFolder(folderPartOf(name)).trust;
    return batch::sameFile(*known, steps.trust(i), *now.identity, trust) == batch::Sameness::Same;
}

// Every process that may have parked a file of this batch.
std::vector<std::uint32_t> processesOf(const BatchLog& log) {
    std::vector<std::uint32_t> processes{log.processId};
    processes.insert(processes.end(), log.undoProcesses.begin(), log.undoProcesses.end());
    return processes;
}

// The temporary name step `i`'s file is parked under, if one of them holds it.
std::optional<std::string> findParked(const BatchLog& log, platform::Folder& folder, std::size_t i) {
    const std::string beside = folderPartOf(log.steps.from(i));
    for (const std::uint32_t process : processesOf(log))
        for (unsigned attempt = 0; attempt < 100; ++attempt) {
            const std::string name = beside + platform::parkingName(process, attempt);
            if (holdsStepFile(folder, log.steps, i, name)) return name;
        }
    return std::nullopt;
}

// A placeholder a power cut caught before its stamp: an empty file made
// since the batch began, at the one name a move of its own was under way to.
// Its time is the card's, in FAT's two-second steps.
std::int64_t placeholdersSince(const BatchLog& log) {
    constexpr std::int64_t twoSeconds = 2'000'000'000;
    return log.createdAt - twoSeconds;
}

bool emptyFileSince(const platform::PathProbe& probe, std::int64_t since) {
    return probe.kind == PathKind::File && probe.identity && probe.identity->stamp && probe.identity->stamp->size == 0 &&
           probe.identity->stamp->modified >= since;
}

} // namespace

Settled settleSteps(const BatchLog& log, platform::Folder& folder, platform::FileSystem& fileSystem) {
    const BatchRecord& steps = log.steps;
    Settled settled;
    // Both names of every step looked at in one read; files are compared only where a name is taken.
    const std::size_t count = steps.size();
    std::vector<bool> atNew(count), atOld(count);
    folder.probeNames(
        2 * count, [&](std::size_t n) { return n < count ? steps.to(n) : steps.from(n - count); },
        [&](std::size_t n, const platform::PathProbe& probe) {
            if (n < count) atNew[n] = present(probe);
            else atOld[n - count] = present(probe);
        });
    // A change of case alone finds one file under both names: the folder's own spelling tells.
    std::optional<std::set<std::string>> spelled;
    const auto spelledAs = [&](std::string_view name) {
        if (!spelled) {
            spelled.emplace();
            fileSystem.readFolder(log.folder, [&](std::string_view entry, platform::EntryKind, bool) { spelled->emplace(entry); });
        }
        return spelled->count(std::string(name)) > 0;
    };
    const auto madeStep = [&](std::size_t i) {
        const std::string_view from = steps.from(i), to = steps.to(i);
        return platform::changesCaseOnly(from, to) && folderPartOf(from).empty()
                   ? holdsStepFile(folder, steps, i, to) && spelledAs(to)
                   : holdsStepFile(folder, steps, i, to) && !holdsStepFile(folder, steps, i, from);
    };
    std::size_t made = 0;
    for (std::size_t i = count; i-- > 0;)
        if (atNew[i] && madeStep(i)) {
            made = i + 1;
            break;
        }
    // The step in flight: its file parked by a change of case, or a placeholder left at its new name.
    if (made < count) {
        if (!atNew[made] && !atOld[made]) {
            if (std::optional<std::string> name = findParked(log, folder, made)) {
                settled.parked[made] = std::move(*name);
                ++made;
            } else {
                settled.underNeitherName = made;
            }
        } else if (atNew[made] && atOld[made] && folder.isOwnPlaceholder(steps.to(made))) {
            folder.removeOwnPlaceholder(steps.to(made));
        } else if (atNew[made] && atOld[made] && holdsStepFile(folder, steps, made, steps.from(made)) &&
                   emptyFileSince(folder.probe(steps.to(made)), placeholdersSince(log))) {
            folder.removeUnstampedPlaceholder(steps.to(made), placeholdersSince(log));
        }
    }
    settled.made = made;
    bool anyFound = made > 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (i < made && !atNew[i] && !atOld[i] && !settled.parked.count(i)) ++settled.missing;
        anyFound = anyFound || atOld[i];
    }
    settled.nothingFound = count > 0 && !anyFound;
    return settled;
}

namespace {

Renamed renamedOf(const BatchLog& log, platform::Folder& folder, platform::FileSystem& fileSystem, BatchRecord* takeable) {
    const BatchRecord& steps = log.steps;
    const std::uint64_t made = log.ended.value_or(0);
    // The made steps not given up: where each one's file should be now and its old name, both looked at in one read.
    std::vector<std::size_t> candidates;
    for (std::size_t i = 0; i < made && i < steps.size(); ++i)
        if (!log.givenUp.count(i)) candidates.push_back(i);
    // Read from the log when asked, never a table of its names: a large batch's are not held twice.
    const auto where = [&](std::size_t n) {
        const auto parked = log.parked.find(candidates[n]);
        return parked != log.parked.end() ? std::string_view(parked->second) : steps.to(candidates[n]);
    };
    std::vector<bool> atNew(candidates.size()), atOld(candidates.size()), oldUnknown(candidates.size());
    if (candidates.empty()) return Renamed{};
    const auto seenAtNew = [&](std::size_t n, const platform::PathProbe& probe) { atNew[n] = present(probe); };
    const auto seenAtOld = [&](std::size_t n, const platform::PathProbe& probe) {
        atOld[n] = present(probe);
        oldUnknown[n] = probe.error.has_value();
    };
    const auto oldName = [&](std::size_t n) { return steps.from(candidates[n]); };
    if (folder.answersFromKeptReading() && folder.sharesProbes(2 * candidates.size())) {
        // Answered from the list's kept read through one index: the old names
        // on a second thread, the new on this one, each writing its own table.
        std::exception_ptr failed;
        std::jthread olds;
        try {
            olds = std::jthread([&] {
                try {
                    folder.probeNames(candidates.size(), oldName, seenAtOld);
                } catch (...) {
                    failed = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
        }
        folder.probeNames(candidates.size(), where, seenAtNew);
        if (!olds.joinable()) folder.probeNames(candidates.size(), oldName, seenAtOld); // no thread to be had
        else olds.join();
        if (failed) std::rethrow_exception(failed);
    } else {
        // One read of the folder for both.
        folder.probeNames(
            2 * candidates.size(),
            [&](std::size_t n) { return n < candidates.size() ? where(n) : oldName(n - candidates.size()); },
            [&](std::size_t n, const platform::PathProbe& probe) {
                if (n < candidates.size()) seenAtNew(n, probe);
                else seenAtOld(n - candidates.size(), probe);
            });
    }
    // A change of case alone finds one file under both names: the folder's own spelling tells which it has.
    std::optional<std::set<std::string>> spelled;
    for (std::size_t n = 0; n < candidates.size(); ++n) {
        const std::size_t i = candidates[n];
        if (!platform::changesCaseOnly(steps.from(i), where(n)) || !folderPartOf(steps.from(i)).empty()) continue;
        if (!spelled) {
            spelled.emplace();
            fileSystem.readFolder(log.folder, [&](std::string_view entry, platform::EntryKind, bool) { spelled->emplace(entry); });
        }
        atNew[n] = spelled->count(std::string(where(n))) > 0;
        atOld[n] = spelled->count(std::string(steps.from(i))) > 0;
    }
    // A move cut short between its placeholder and the rename leaves the placeholder at one name and the file at the
    // other (an undo's at the old name, a batch's at the new): never a file's way back. Both names taken is rare.
    for (std::size_t n = 0; n < candidates.size(); ++n) {
        if (!atNew[n] || !atOld[n]) continue;
        const std::string_view old = steps.from(candidates[n]);
        // Taken for nothing even where it cannot be removed now.
        if (folder.isOwnPlaceholder(old)) {
            folder.removeOwnPlaceholder(old);
            atOld[n] = false;
        } else if (folder.isOwnPlaceholder(where(n))) {
            folder.removeOwnPlaceholder(where(n));
            atNew[n] = false;
        }
    }
    // A power cut may leave a batch's placeholder whose name the card had not
    // yet seen replaced: at a new name, with the file still (or, after an
    // undo cut short, back) at its old one, the batch's end durable on the
    // journal's disk all the same. An undo cut short may also leave the
    // placeholder of its move under way, at that file's old name. Both are
    // empty files made since the batch began, beside the step's own file.
    const std::int64_t since = placeholdersSince(log);
    for (std::size_t n = 0; n < candidates.size(); ++n)
        if (atNew[n] && atOld[n] && holdsStepFile(folder, steps, candidates[n], steps.from(candidates[n])) &&
            emptyFileSince(folder.probe(where(n)), since) && folder.removeUnstampedPlaceholder(where(n), since).removed)
            atNew[n] = false;
    if (log.undoOpen) {
        // The undo moves one file at a time, in the order its start recorded:
        // the one under way is the first, in that order, still at its new name.
        std::size_t n = 0;
        if (log.undoOrder == UndoOrder::AsMade) {
            while (n < candidates.size() && !atNew[n]) ++n;
        } else {
            n = candidates.size();
            while (n-- > 0 && !atNew[n]) {
            }
        }
        if (n < candidates.size() && atOld[n]) {
            const std::string_view old = steps.from(candidates[n]);
            if (holdsStepFile(folder, steps, candidates[n], where(n)) && emptyFileSince(folder.probe(old), since) &&
                folder.removeUnstampedPlaceholder(old, since).removed)
                atOld[n] = false;
        }
    }

    // Parking names are looked for only where a file is at neither name: one read of the folder tells whether any is there.
    std::set<std::string> parkingNames;
    bool lookForParked = false;
    for (std::size_t n = 0; n < candidates.size(); ++n) lookForParked = lookForParked || (!atNew[n] && !atOld[n]);
    if (lookForParked) {
        std::set<std::string> ours;
        for (const std::uint32_t process : processesOf(log))
            for (unsigned attempt = 0; attempt < 100; ++attempt) ours.insert(platform::parkingName(process, attempt));
        fileSystem.readFolder(log.folder, [&](std::string_view name, platform::EntryKind, bool) {
            if (ours.count(std::string(name))) parkingNames.insert(std::string(name));
        });
    }

    Renamed renamed;
    const auto ofTheFolder = [&](BatchRecord& record) {
        record.folder = log.folder;
        record.folderIdentity = log.folderIdentity;
        record.folderTrust = log.folderTrust;
    };
    // Every step made, none given up or parked, each file at its new name:
    // the record would be the steps themselves, entry for entry.
    if (takeable && candidates.size() == steps.size() && log.parked.empty() &&
        std::all_of(atNew.begin(), atNew.end(), [](bool at) { return at; })) {
        renamed.record = std::move(*takeable);
        *takeable = BatchRecord{};
        ofTheFolder(renamed.record);
        renamed.stepOf.resize(candidates.size());
        std::iota(renamed.stepOf.begin(), renamed.stepOf.end(), std::uint64_t{0});
        renamed.oldNames.resize(candidates.size());
        for (std::size_t n = 0; n < candidates.size(); ++n)
            renamed.oldNames[n] = oldUnknown[n] ? OldNameSeen::AskAgain : atOld[n] ? OldNameSeen::Taken : OldNameSeen::Free;
        return renamed;
    }
    ofTheFolder(renamed.record);
    // The record made to size at once: grown move by move, it would hold up to twice its size while it grows.
    std::size_t moves = 0, nameBytes = 0;
    for (std::size_t n = 0; n < candidates.size(); ++n)
        if (atNew[n] || !atOld[n]) {
            ++moves;
            nameBytes += steps.from(candidates[n]).size() + where(n).size();
        }
    renamed.record.reserve(moves, nameBytes);
    renamed.stepOf.reserve(moves);
    bool anyFound = false;
    for (std::size_t n = 0; n < candidates.size(); ++n) {
        const std::size_t i = candidates[n];
        std::string_view now = where(n);
        if (!atNew[n] && atOld[n]) continue; // back at its old name
        if (!atNew[n] && !parkingNames.empty() && folderPartOf(steps.from(i)).empty()) {
            for (const std::string& name : parkingNames)
                if (holdsStepFile(folder, steps, i, name)) {
                    now = name;
                    renamed.parked[i] = name;
                    break;
                }
        }
        anyFound = anyFound || atNew[n] || atOld[n] || renamed.parked.count(i);
        renamed.record.add(steps.from(i), now, steps.file(i), steps.trust(i));
        renamed.stepOf.push_back(i);
    }
    renamed.nothingFound = !renamed.record.empty() && !anyFound;
    return renamed;
}

} // namespace

Renamed whatIsRenamed(const BatchLog& log, platform::Folder& folder, platform::FileSystem& fileSystem) {
    return renamedOf(log, folder, fileSystem, nullptr);
}

Renamed takeWhatIsRenamed(BatchLog& log, platform::Folder& folder, platform::FileSystem& fileSystem) {
    return renamedOf(log, folder, fileSystem, &log.steps);
}

SettledBatch settle(BatchLog& log, Held& held, platform::Folder& folder, platform::FileSystem& fileSystem) {
    SettledBatch result;
    result.settled = settleSteps(log, folder, fileSystem);
    if (result.settled.nothingFound) return result; // perhaps another card: nothing is decided
    std::string records;
    for (const auto& [step, where] : result.settled.parked) records += parkedRecord(step, where);
    records += endedRecord(result.settled.made);
    result.error = appendDurably(held, records);
    log.ended = result.settled.made;
    log.parked.insert(result.settled.parked.begin(), result.settled.parked.end());
    return result;
}

// The folders an undo of `record` changes: its own and those its new names lead into.
std::vector<std::string> foldersTouched(const BatchRecord& record) {
    std::set<std::string> relative{""};
    for (std::size_t i = 0; i < record.size(); ++i) {
        const std::string_view to = record.to(i);
        if (HoldsSeparator(to)) relative.insert(std::string(FolderPart(to)));
    }
    std::vector<std::string> folders;
    for (const std::string& part : relative) folders.push_back(part.empty() ? record.folder : JoinPath(record.folder, part));
    return folders;
}

using Answer = platform::Durability::Answer;

platform::Durability makeDurable(platform::FileSystem& fileSystem, const BatchRecord& record) {
    platform::Durability all{Answer::Durable, std::nullopt};
    for (const std::string& folder : foldersTouched(record)) {
        const platform::Durability made = fileSystem.makeNamesDurable(folder);
        if (made.answer != Answer::Durable) all.answer = made.answer;
        if (made.error && !all.error) all.error = made.error;
    }
    if (all.error) all.answer = Answer::NotPromised;
    return all;
}

} // namespace norvane::journal
