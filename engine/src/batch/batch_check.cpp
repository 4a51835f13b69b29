// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "batch/batch_check.h"

#include "batch/check_terms.h"
#include "batch/progress_ticker.h"
#include "identity/same_file.h"
#include "hash_index.h"
#include "norvane/path.h"

#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>

namespace norvane::batch {

using Kind = RenameFailure::Kind;

namespace {

using check_terms::kindOfObstacle;
using check_terms::Place;
using check_terms::Seen;
using check_terms::seenOf;

class Replay {
public:
    Replay(platform::Folder& folder, Places& places, const Steps& steps, OnProblem onProblem, const Expected* expected,
           const ProgressCallback& progress, bool keepSources)
        : folder_(folder), steps_(steps), onProblem_(onProblem), expected_(expected), progress_(progress), keepSources_(keepSources),
          hash_(), earlier_(steps.size()), taken_(0), stuck_(0), places_(places) {}

    Checked run() {
        listed_ = folder_.about();
        if (keepSources_) result_.sources.resize(steps_.size());
        if (!listed_.isFolder) {
            // The folder itself gone: every file with it.
            for (std::size_t i = 0; i < steps_.size() && !stopped(); ++i)
                result_.problems.push_back(StepProblem{i, Kind::SourceGone, listed_.error});
            return std::move(result_);
        }
        std::optional<std::optional<StepProblem>> prejudged;
        if (judgesWhileReading()) prejudged = prejudgeWhileReading();
        else probeInFolder();
        collectTaken();
        if (prejudged && taken_.empty()) return judgeWithNoneTaken(*prejudged);
        // A destination taken: a step may free a name another claims, and the
        // steps are judged again in order, from nothing.
        if (prejudged) earlier_ = HashIndex(steps_.size());

        ProgressTicker ticker(progress_, BatchProgress::Stage::Checking, steps_.size());
        const auto checkOne = [&](std::size_t i, const platform::PathProbe* source, FoundAtName found) {
            if (!ticker.tick(i)) {
                result_.cancelled = true;
                return false;
            }
            if (auto problem = checkStep(i, source, found)) {
                // Its file stays where it is, under the name it has now.
                if (onProblem_ == OnProblem::LeaveFileAndGoOn) {
                    Place from;
                    placeOf(steps_[i].from, from);
                    stuck_.assign(hash_(from.key), static_cast<std::uint32_t>(i),
                                  [&](std::uint32_t other) { return keyOf(steps_[other].from) == from.key; });
                }
                result_.problems.push_back(std::move(*problem));
            }
            return !stopped();
        };
        // Where the batch knows which file each source must be, each is looked
        // at in full, the platform probing ahead while the steps are judged in
        // order; unless a look made just before found it.
        if (expected_ && expected_->sourceFoundAt) {
            for (std::size_t i = 0; i < steps_.size(); ++i) {
                const FoundAtName found = expected_->sourceFoundAt(i);
                const std::optional<platform::PathProbe> now =
                    found == FoundAtName::AskAgain ? std::optional(folder_.probe(steps_[i].from)) : std::nullopt;
                if (!checkOne(i, now ? &*now : nullptr, found)) break;
            }
        } else if (expected_) {
            folder_.probeInOrder(
                steps_.size(), [&](std::size_t i) { return steps_[i].from; },
                [&](std::size_t i, const platform::PathProbe& source) { return checkOne(i, &source, FoundAtName::AskAgain); });
        } else {
            for (std::size_t i = 0; i < steps_.size() && checkOne(i, nullptr, FoundAtName::AskAgain); ++i) {
            }
        }
        if (!result_.cancelled && !ticker.report(steps_.size())) result_.cancelled = true;
        return std::move(result_);
    }

private:
    bool stopped() const { return onProblem_ == OnProblem::StopBatch && !result_.problems.empty(); }

    // A large batch that stops at its first problem judges what it can of its
    // steps while the folder is read on a second thread: the read waits on
    // the system, the judging on the processor.
    bool judgesWhileReading() const {
        return !expected_ && onProblem_ == OnProblem::StopBatch && folder_.sharesProbes(steps_.size());
    }

    // Where the folder answers from a read kept from before, the first
    // thread also takes a share of the probes once it has judged the steps:
    // the read is not made twice, and at a million files the probes take
    // longer than the judging. The second thread starts with the larger share.
    std::optional<StepProblem> prejudgeWhileReading() {
        const std::size_t names = prepareProbes();
        const std::size_t split = folder_.answersFromKeptReading() ? names - names * 2 / 5 : names;
        std::exception_ptr failed, ownFailure;
        std::thread reader;
        try {
            reader = std::thread([&] {
                try {
                    probeRange(0, split);
                } catch (...) {
                    failed = std::current_exception();
                }
            });
        } catch (const std::system_error&) {
        }
        std::optional<StepProblem> problem;
        try {
            problem = prejudge();
            if (!reader.joinable()) probeRange(0, split); // no thread to be had
            probeRange(split, names);
        } catch (...) {
            ownFailure = std::current_exception();
        }
        if (reader.joinable()) reader.join();
        if (ownFailure) std::rethrow_exception(ownFailure);
        if (failed) std::rethrow_exception(failed);
        return problem;
    }

    // The first step with a problem whatever the folder holds: its new name
    // cannot be, or an earlier step claims it too. Each step's claim is kept.
    std::optional<StepProblem> prejudge() {
        // A bare name in a folder that keeps case is its own key: its slot is
        // asked for a few steps ahead (see HashIndex::prefetch).
        constexpr std::size_t ahead = HashIndex::askedAhead;
        const auto askAhead = [&](std::size_t i) {
            if (i >= steps_.size() || listed_.ignoresCase) return;
            const std::string_view to = steps_[i].to;
            if (!HoldsSeparator(to)) earlier_.prefetch(hash_(to));
        };
        for (std::size_t i = 0; i < ahead; ++i) askAhead(i);
        for (std::size_t i = 0; i < steps_.size(); ++i) {
            askAhead(i + ahead);
            if (auto problem = checkNotEmpty(i)) return problem;
            if (auto problem = checkBytes(i)) return problem;
            if (auto problem = checkNameHeld(i)) return problem;
            Place to;
            placeOf(steps_[i].to, to);
            if (to.problem) {
                to.problem->step = i;
                return to.problem;
            }
            const std::uint64_t toHash = hash_(to.key);
            if (const auto earlier = earlier_.find(toHash, [&](std::uint32_t entry) { return keyOfEntry(entry) == to.key; }))
                return StepProblem{i, Kind::DuplicateName, std::nullopt, stepOf(*earlier)};
            earlier_.insert(toHash, entryOf(i, true));
        }
        return std::nullopt;
    }

    // With no destination taken, no step frees a name another needs: the
    // claims judged are the replay's own, and what is left is whether each
    // source is there and each destination free, in order.
    Checked judgeWithNoneTaken(const std::optional<StepProblem>& prejudged) {
        ProgressTicker ticker(progress_, BatchProgress::Stage::Checking, steps_.size());
        for (std::size_t i = 0; i < steps_.size() && !stopped(); ++i) {
            if (!ticker.tick(i)) {
                result_.cancelled = true;
                return std::move(result_);
            }
            const bool prejudgedHere = prejudged && prejudged->step == i;
            // The usual step, told from its two bytes: its file there, its new name free.
            if (sourceSeen_[i] == Seen::File && destinationSeen_[i] == Seen::Absent && !prejudgedHere) continue;
            std::optional<StepProblem> problem = checkSourceThere(i, nullptr);
            if (!problem && prejudgedHere) problem = *prejudged;
            if (!problem) {
                const platform::PathProbe destination = probed(false, i);
                if (destination.error || destination.kind != platform::PathKind::Absent) {
                    Place to;
                    placeOf(steps_[i].to, to);
                    problem = checkNotTaken(i, to, destination);
                }
            }
            if (problem) result_.problems.push_back(std::move(*problem));
        }
        if (!result_.cancelled && !ticker.report(steps_.size())) result_.cancelled = true;
        return std::move(result_);
    }

    // The sources and the destinations are looked at all at once: the
    // platform may answer from one read of the folder for the names in it,
    // instead of asking the system about each name. An undo's sources are
    // left out (each is probed in full anyway), and so are destinations a
    // look made just before saw: the rest are asked one by one.
    void probeInFolder() {
        const std::size_t count = steps_.size();
        const std::size_t names = prepareProbes();
        if (expected_ && expected_->destinationSeenAt) {
            for (std::size_t i = 0; i < count; ++i) {
                if (HoldsSeparator(steps_[i].to)) continue;
                const OldNameSeen seen = expected_->destinationSeenAt(i);
                if (seen != OldNameSeen::AskAgain) destinationSeen_[i] = seen == OldNameSeen::Taken ? Seen::Other : Seen::Absent;
            }
            return;
        }
        probeRange(0, names);
    }

    // How many names the probes ask for, the sources first; what each found is unasked yet.
    std::size_t prepareProbes() {
        const std::size_t count = steps_.size();
        const std::size_t sources = expected_ ? 0 : count;
        sourceSeen_.assign(sources, Seen::Unasked);
        destinationSeen_.assign(count, Seen::Unasked);
        return sources + count;
    }

    // The probes of names [first, last): each writes its own step's answer,
    // so two threads may each take a range.
    void probeRange(std::size_t first, std::size_t last) {
        if (first >= last) return;
        const std::size_t sources = sourceSeen_.size();
        folder_.probeNames(
            last - first,
            [&](std::size_t k) {
                const std::size_t n = first + k;
                return n < sources ? steps_[n].from : steps_[n - sources].to;
            },
            [&](std::size_t k, const platform::PathProbe& probe) {
                const std::size_t n = first + k;
                const bool source = n < sources;
                const std::size_t step = source ? n : n - sources;
                (source ? sourceSeen_ : destinationSeen_)[step] = seenOf(probe);
                if (probe.error) {
                    const std::lock_guard lock(errorsHeld_);
                    (source ? sourceErrors_ : destinationErrors_).emplace(step, *probe.error);
                }
                if (source && keepSources_) result_.sources[step] = probe.identity;
            });
    }

    // The places of the destinations found taken: only a step moving away from
    // one of them frees a name that matters, so only those are looked for
    // among the sources. Usually there are none.
    void collectTaken() {
        for (std::size_t i = 0; i < steps_.size(); ++i) {
            const Seen seen = destinationSeen_[i];
            if (seen != Seen::File && seen != Seen::Folder && seen != Seen::Other) continue;
            Place to;
            placeOf(steps_[i].to, to);
            if (!to.problem)
                taken_.assign(hash_(to.key), static_cast<std::uint32_t>(i),
                              [&](std::uint32_t other) { return keyOf(steps_[other].to) == to.key; });
        }
    }

    // What is at a step's source or destination, as the folder's one read
    // said; a platform that left a name out is asked again.
    platform::PathProbe probed(bool source, std::size_t i) const {
        const Seen seen = (source ? sourceSeen_ : destinationSeen_)[i];
        if (seen == Seen::Unasked) return folder_.probe(source ? steps_[i].from : steps_[i].to);
        platform::PathProbe probe;
        switch (seen) {
        case Seen::File: probe.kind = platform::PathKind::File; break;
        case Seen::Folder: probe.kind = platform::PathKind::Folder; break;
        case Seen::Other: probe.kind = platform::PathKind::Other; break;
        case Seen::Error: probe.error = (source ? sourceErrors_ : destinationErrors_).at(i); break;
        case Seen::Absent:
        case Seen::Unasked: break;
        }
        return probe;
    }

    // `source`: the step's source probed in full, where the batch knows which file it must be.
    std::optional<StepProblem> checkStep(std::size_t i, const platform::PathProbe* source, FoundAtName found) {
        const Step& step = steps_[i];
        if (auto problem = checkSourceThere(i, source, found)) return problem;
        if (auto problem = checkNotEmpty(i)) return problem;
        if (auto problem = checkBytes(i)) return problem;
        if (auto problem = checkNameHeld(i)) return problem;
        Place to;
        placeOf(step.to, to);
        if (to.problem) {
            to.problem->step = i;
            return to.problem;
        }
        const std::uint64_t toHash = hash_(to.key);
        const auto earlier = earlier_.find(toHash, [&](std::uint32_t entry) { return keyOfEntry(entry) == to.key; });
        if (earlier && claimed(*earlier)) return StepProblem{i, Kind::DuplicateName, std::nullopt, stepOf(*earlier)};
        // A name an earlier step frees is free by the time of this one.
        if (!earlier)
            if (auto problem = checkNotTaken(i, to, probed(false, i))) return problem;
        // Freed first: a file given its own name under another case claims it again.
        if (!taken_.empty()) {
            Place from;
            placeOf(step.from, from);
            const std::uint64_t fromHash = hash_(from.key);
            if (taken_.find(fromHash, [&](std::uint32_t other) { return keyOf(steps_[other].to) == from.key; }))
                earlier_.assign(fromHash, entryOf(i, false), [&](std::uint32_t entry) { return keyOfEntry(entry) == from.key; });
        }
        earlier_.assign(toHash, entryOf(i, true), [&](std::uint32_t entry) { return keyOfEntry(entry) == to.key; });
        return std::nullopt;
    }

    // What an earlier step did to a place: claimed it as its destination, or
    // freed it by moving away; kept as step * 2 + claimed.
    static std::uint32_t entryOf(std::size_t step, bool claimed) { return static_cast<std::uint32_t>(step * 2 + claimed); }
    static std::size_t stepOf(std::uint32_t entry) { return entry / 2; }
    static bool claimed(std::uint32_t entry) { return entry % 2 == 1; }
    std::string keyOfEntry(std::uint32_t entry) { return keyOf(claimed(entry) ? steps_[stepOf(entry)].to : steps_[stepOf(entry)].from); }

    std::string keyOf(std::string_view name) {
        Place place;
        placeOf(name, place);
        return std::string(place.key);
    }

    void fold(std::string_view name, bool ignoresCase, Place& place) const {
        if (ignoresCase) {
            place.owned = platform::foldCase(name);
            place.key = place.owned;
        } else {
            place.key = name;
        }
    }

    // A name in the listed folder is keyed by its name alone; one in another
    // folder by that folder's identity, so every spelling of one place (links,
    // "." and ".." steps, doubled separators) meets under one key. A NUL,
    // which no name holds, keeps the two kinds of key apart.
    void placeOf(std::string_view name, Place& place) {
        if (!HoldsSeparator(name)) return fold(name, listed_.ignoresCase, place);
        place.plain = false;
        const std::size_t cut = LastSeparator(name);
        const std::string_view last = name.substr(cut + 1);
        const platform::FolderProbe& folder = folderOf(name.substr(0, cut));
        if (!folder.isFolder) {
            place.problem = StepProblem{0, Kind::FolderMissing, folder.error};
            if (folder.error && platform::errorKind(*folder.error) != platform::ErrorKind::NotFound &&
                platform::errorKind(*folder.error) != platform::ErrorKind::NotAFolder)
                place.problem->kind = kindOfObstacle(*folder.error);
            place.key = name; // never met again: nothing can move there
            return;
        }
        // A step through a link or "." back into the listed folder keys as a bare name.
        if (folder.identity.id == listed_.identity.id) return fold(last, listed_.ignoresCase, place);
        place.owned.assign(1, '\0');
        place.owned.append(reinterpret_cast<const char*>(&folder.identity.id), sizeof folder.identity.id);
        place.owned += folder.ignoresCase ? platform::foldCase(last) : std::string(last);
        place.key = place.owned;
    }

    const platform::FolderProbe& folderOf(std::string_view relative) { return places_.folderOf(relative); }

    // The file is where the batch expects it, and, where the batch knows which
    // file it is, is that file and not another that has taken its name.
    // `found`: what a look made just before found there, where it could tell.
    std::optional<StepProblem> checkSourceThere(std::size_t i, const platform::PathProbe* inFull,
                                                FoundAtName found = FoundAtName::AskAgain) {
        if (found == FoundAtName::AskAgain) {
            platform::PathProbe read;
            if (!inFull) read = probed(true, i);
            const platform::PathProbe& now = inFull ? *inFull : read;
            if (!fileThere(now)) return StepProblem{i, Kind::SourceGone, now.error};
            if (!expected_) return std::nullopt;
            found = foundAgainst(now, expected_->fileAt(i), expected_->trustAt(i), trustOf(steps_[i].from));
        }
        switch (found) {
        case FoundAtName::SameFile:
        case FoundAtName::AskAgain: return std::nullopt;
        case FoundAtName::Gone: return StepProblem{i, Kind::SourceGone, std::nullopt};
        case FoundAtName::CannotTell: return StepProblem{i, Kind::IdentityUnknown, std::nullopt};
        // Where numbers hold, another number is another file; elsewhere the file may be the one, changed.
        case FoundAtName::Replaced: return StepProblem{i, Kind::SourceReplaced, std::nullopt};
        case FoundAtName::Changed: return StepProblem{i, Kind::SourceChanged, std::nullopt};
        }
        return std::nullopt;
    }

    // How far the numbers hold in the folder a name lies in.
    platform::IdentityTrust trustOf(std::string_view name) { return places_.trustOf(name); }

    // The folder a new name goes to must be able to hold it: FAT, exFAT and
    // NTFS take no ':' nor a trailing dot, whatever system writes to them.
    // An undo's destinations are the names the files had, which the folder
    // held (a name ending in a space, made by another system): they go back.
    std::optional<StepProblem> checkNameHeld(std::size_t i) {
        if (expected_) return std::nullopt;
        const std::string_view to = steps_[i].to;
        platform::NameRules rules = listed_.names;
        if (HoldsSeparator(to)) {
            const platform::FolderProbe& folder = folderOf(FolderPart(to));
            if (!folder.isFolder) return std::nullopt; // the folder's own problem is told instead
            rules = folder.names;
        }
        const std::optional<platform::NotHeld> why = platform::whyNotHeld(rules, to);
        if (!why) return std::nullopt;
        StepProblem problem{i, Kind::NameNotHeld, std::nullopt};
        problem.notHeld = why;
        return problem;
    }

    // An empty name joins to the folder itself.
    std::optional<StepProblem> checkNotEmpty(std::size_t i) const {
        if (!steps_[i].to.empty()) return std::nullopt;
        return StepProblem{i, Kind::EmptyName, std::nullopt};
    }

    // A NUL would cut the path short at the system call and move the file to
    // a name nobody asked for.
    std::optional<StepProblem> checkBytes(std::size_t i) const {
        if (steps_[i].to.find('\0') == std::string_view::npos) return std::nullopt;
        return StepProblem{i, Kind::InvalidName, std::nullopt};
    }

    std::optional<StepProblem> checkNotTaken(std::size_t i, const Place& to, const platform::PathProbe& destination) {
        if (destination.error) return StepProblem{i, kindOfObstacle(*destination.error), destination.error};
        if (destination.kind == platform::PathKind::Absent) return std::nullopt;
        // Where names ignore case, 'photo.JPG' -> 'photo.jpg' finds the file
        // itself: the folder cannot hold a second file under that name.
        const Step& step = steps_[i];
        if (to.plain && !HoldsSeparator(step.from) && to.key == keyOf(step.from)) return std::nullopt;
        // Held by a file of this batch that cannot move away.
        const auto holder = stuck_.find(hash_(to.key), [&](std::uint32_t other) { return keyOf(steps_[other].from) == to.key; });
        if (holder) return StepProblem{i, Kind::BlockedByAnother, std::nullopt, *holder};
        StepProblem taken{i, Kind::NameTaken};
        // Taken under another spelling: the message names the file that has it.
        if (to.plain && listed_.ignoresCase && onProblem_ == OnProblem::StopBatch)
            if (std::optional<std::string> holding = folder_.spelling(step.to); holding && *holding != step.to)
                taken.detail = std::move(*holding);
        return taken;
    }

    platform::Folder& folder_;
    const Steps steps_;
    const OnProblem onProblem_;
    const Expected* expected_;
    const ProgressCallback& progress_;
    const bool keepSources_;
    const std::hash<std::string_view> hash_;
    platform::FolderProbe listed_;
    std::vector<Seen> sourceSeen_, destinationSeen_;
    std::unordered_map<std::size_t, platform::SystemError> sourceErrors_, destinationErrors_;
    std::mutex errorsHeld_; // the probes' errors, written from either thread
    Checked result_;
    HashIndex earlier_; // places earlier steps claimed, or freed where that matters
    HashIndex taken_;   // places of destinations something holds now
    HashIndex stuck_;   // places kept by files left out
    Places& places_;
};

} // namespace

Checked check(platform::Folder& folder, Places& places, const Steps& steps, OnProblem onProblem,
              const Expected* expected, const ProgressCallback& progress, bool keepSources) {
    return Replay(folder, places, steps, onProblem, expected, progress, keepSources).run();
}

Checked check(platform::Folder& folder, const Steps& steps, OnProblem onProblem, const Expected* expected,
              const ProgressCallback& progress, bool keepSources) {
    Places places(folder);
    return check(folder, places, steps, onProblem, expected, progress, keepSources);
}

} // namespace norvane::batch
