// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "journal/batch_file.h"

#include "journal/records.h"

#include <algorithm>

namespace norvane::journal {

namespace {

using platform::IdentityTrust;

// Restamped (2) only in format 2.
std::uint8_t trustByte(IdentityTrust trust) { return trust == IdentityTrust::Stable ? 1 : trust == IdentityTrust::Restamped ? 2 : 0; }

bool readTrust(PayloadReader& reader, IdentityTrust& trust) {
    std::uint8_t byte = 0;
    if (!reader.u8(byte) || byte > 2) return false;
    trust = byte == 1 ? IdentityTrust::Stable : byte == 2 ? IdentityTrust::Restamped : IdentityTrust::Unstable;
    return true;
}

void writeFile(PayloadWriter& writer, IdentityRun& run, const std::optional<platform::FileIdentity>& file) {
    writer.u8(file ? 1 : 0);
    if (file) run.write(writer, *file);
}

// Format 3 writes the identities of a record as a run of differences; 1 and 2 each in full.
bool readFile(PayloadReader& reader, std::uint32_t version, IdentityRun& run, std::optional<platform::FileIdentity>& file) {
    std::uint8_t known = 0;
    if (!reader.u8(known) || known > 1) return false;
    file.reset();
    if (known == 0) return true;
    platform::FileIdentity identity;
    if (!(version >= 3 ? run.read(reader, identity) : reader.identity(identity))) return false;
    file = identity;
    return true;
}

// Every record a batch writes stays far below the longest a record may be.
std::string framed(std::uint8_t type, const PayloadWriter& writer) {
    std::string out;
    [[maybe_unused]] const bool framed = appendRecord(out, type, writer.payload());
    return out;
}

// Each record's payload into the log; false where it does not hold together.
class Reading {
public:
    Reading(BatchLog& log, std::uint32_t version, Keep keep, std::uint64_t fileBytes)
        : log_(log), version_(version), keep_(keep), fileBytes_(fileBytes) {}
    bool planned() const { return log_.planned; }

    bool take(const Record& record) {
        PayloadReader reader(record.payload);
        bool read = false;
        switch (record.type) {
        case Begin: read = begin(reader); break;
        case Steps: read = begun_ && !log_.planned && steps(reader); break;
        case Planned: read = begun_ && planned(reader); break;
        case Moved: read = log_.planned && moved(reader); break;
        case Ended: read = log_.planned && ended(reader); break;
        case UndoBegan: read = log_.planned && undoBegan(reader); break;
        case GivenUp: read = log_.planned && givenUp(reader); break;
        case Parked: read = log_.planned && parked(reader); break;
        case UndoEnded: read = log_.planned && undoEnded(reader); break;
        case TakenBack: read = log_.planned && takenBack(reader); break;
        default: return false; // a type of a newer version
        }
        return read && reader.atEnd();
    }

private:
    bool begin(PayloadReader& reader) {
        if (begun_) return false;
        std::uint64_t processId = 0;
        std::string_view what, folder;
        if (!reader.signedVarint(log_.createdAt) || !reader.varint(processId) || !reader.bytes(what) || !reader.bytes(folder) ||
            !reader.identity(log_.folderIdentity) || !readTrust(reader, log_.folderTrust) || !reader.varint(log_.stepCount))
            return false;
        log_.processId = static_cast<std::uint32_t>(processId);
        log_.what = what;
        log_.folder = folder;
        log_.version = version_;
        if (version_ >= 2) {
            std::uint8_t flags = 0;
            std::string_view volume;
            if (!reader.varint(log_.sequence) || log_.sequence == 0 || !reader.u8(flags) || (flags & ~1u) != 0) return false;
            if (flags & 1u) {
                if (!reader.bytes(volume)) return false;
                log_.volumeId = std::string(volume);
            }
        }
        return begun_ = true;
    }

    bool steps(PayloadReader& reader) {
        std::uint64_t first = 0, count = 0;
        if (!reader.varint(first) || !reader.varint(count) || first != log_.stepsRead || count > log_.stepCount - first)
            return false;
        // Room for the whole plan at once: grown step by step it would leave
        // its outgrown copies in the heap through the undo that reads it. No
        // more than the file can hold (a step takes 6 bytes at least), whatever
        // a damaged count says.
        if (first == 0 && keep_ == Keep::Whole) {
            const std::uint64_t room = std::min(log_.stepCount, fileBytes_ / 6);
            log_.steps.reserve(static_cast<std::size_t>(room), static_cast<std::size_t>(std::min(fileBytes_, 2 * room * 255)));
        }
        IdentityRun run;
        for (std::uint64_t i = 0; i < count; ++i) {
            std::string_view from, to;
            IdentityTrust trust{};
            std::optional<platform::FileIdentity> source;
            if (!reader.bytes(from) || !reader.bytes(to) || !readTrust(reader, trust) || !readFile(reader, version_, run, source))
                return false;
            if (keep_ == Keep::Whole) log_.steps.add(from, to, source, trust);
        }
        log_.stepsRead += count;
        return true;
    }

    bool planned(PayloadReader& reader) {
        std::uint64_t count = 0;
        if (log_.planned || !reader.varint(count) || count != log_.stepCount || log_.stepsRead != count) return false;
        return log_.planned = true;
    }

    bool moved(PayloadReader& reader) {
        std::uint64_t first = 0, count = 0;
        if (!reader.varint(first) || !reader.varint(count) || first > log_.stepCount || count > log_.stepCount - first)
            return false;
        IdentityRun run;
        for (std::uint64_t i = first; i < first + count; ++i) {
            IdentityTrust trust{};
            std::optional<platform::FileIdentity> file;
            if (!readTrust(reader, trust) || !readFile(reader, version_, run, file)) return false;
            // A mark only adds what is known: the source as checked stays where the move told nothing.
            if (file && keep_ == Keep::Whole) log_.steps.setFile(i, file, trust);
        }
        if (first <= log_.marked) log_.marked = std::max(log_.marked, first + count);
        return true;
    }

    bool ended(PayloadReader& reader) {
        std::uint64_t made = 0;
        if (log_.ended || !reader.varint(made) || made > log_.stepCount) return false;
        log_.ended = made;
        return true;
    }

    bool undoBegan(PayloadReader& reader) {
        std::uint64_t processId = 0;
        if (!reader.varint(processId)) return false;
        std::uint8_t flags = 0;
        if (version_ >= undoOrderSince && (!reader.u8(flags) || (flags & ~1u) != 0)) return false;
        log_.undoOrder = (flags & 1u) ? UndoOrder::AsMade : UndoOrder::LatestFirst;
        log_.undoProcesses.push_back(static_cast<std::uint32_t>(processId));
        log_.undoOpen = true;
        log_.takenBackBy.reset(); // an undo again: the files were found renamed since
        return true;
    }

    bool undoEnded(PayloadReader& reader) {
        std::uint64_t restored = 0;
        if (!reader.varint(restored) || restored > log_.stepCount) return false;
        log_.undoOpen = false;
        log_.undoRestored = restored;
        log_.takenBackBy.reset(); // the files were found renamed again, or some were left

        return true;
    }

    bool takenBack(PayloadReader& reader) {
        std::uint64_t processId = 0;
        if (!reader.varint(processId)) return false;
        log_.undoOpen = false;
        log_.takenBackBy = static_cast<std::uint32_t>(processId);
        return true;
    }

    bool givenUp(PayloadReader& reader) {
        std::uint64_t count = 0;
        if (!reader.varint(count) || count > log_.stepCount) return false;
        for (std::uint64_t i = 0; i < count; ++i) {
            std::uint64_t step = 0;
            if (!reader.varint(step) || step >= log_.stepCount) return false;
            log_.givenUp.insert(step);
        }
        return true;
    }

    bool parked(PayloadReader& reader) {
        std::uint64_t step = 0;
        std::string_view name;
        if (!reader.varint(step) || step >= log_.stepCount || !reader.bytes(name)) return false;
        log_.parked[step] = std::string(name);
        return true;
    }

    BatchLog& log_;
    std::uint32_t version_;
    Keep keep_;
    std::uint64_t fileBytes_;
    bool begun_ = false;
};

} // namespace

std::string beginRecord(const BatchLog& header) {
    PayloadWriter writer;
    writer.signedVarint(header.createdAt);
    writer.varint(header.processId);
    writer.bytes(header.what);
    writer.bytes(header.folder);
    writer.identity(header.folderIdentity);
    writer.u8(trustByte(header.folderTrust));
    writer.varint(header.stepCount);
    writer.varint(header.sequence);
    writer.u8(header.volumeId ? 1 : 0); // which optional fields follow
    if (header.volumeId) writer.bytes(*header.volumeId);
    return fileStart() + framed(Begin, writer);
}

void appendStepsRecord(std::string& out, std::uint64_t first, std::uint64_t count, const PlannedStepAt& stepAt) {
    PayloadWriter writer;
    writer.varint(first);
    writer.varint(count);
    IdentityRun run;
    for (std::uint64_t i = first; i < first + count; ++i) {
        const PlannedStep step = stepAt(i);
        writer.bytes(step.from);
        writer.bytes(step.to);
        writer.u8(trustByte(step.trust));
        writeFile(writer, run, step.source);
    }
    out += framed(Steps, writer);
}

std::string plannedRecord(std::uint64_t stepCount) {
    PayloadWriter writer;
    writer.varint(stepCount);
    return framed(Planned, writer);
}

void appendMovedRecord(std::string& out, std::uint64_t first, const BatchRecord& moves, std::size_t from, std::size_t to) {
    for (std::size_t start = from; start < to; start += stepsPerRecord) {
        const std::size_t end = std::min<std::size_t>(to, start + stepsPerRecord);
        PayloadWriter writer;
        writer.varint(first + (start - from));
        writer.varint(end - start);
        IdentityRun run;
        for (std::size_t i = start; i < end; ++i) {
            writer.u8(trustByte(moves.trust(i)));
            writeFile(writer, run, moves.file(i));
        }
        out += framed(Moved, writer);
    }
}

std::string endedRecord(std::uint64_t made) {
    PayloadWriter writer;
    writer.varint(made);
    return framed(Ended, writer);
}

std::string undoBeganRecord(std::uint32_t processId, UndoOrder order, std::uint32_t version) {
    PayloadWriter writer;
    writer.varint(processId);
    if (version >= undoOrderSince) writer.u8(order == UndoOrder::AsMade ? 1 : 0);
    return framed(UndoBegan, writer);
}

std::string givenUpRecord(const std::vector<std::uint64_t>& steps) {
    PayloadWriter writer;
    writer.varint(steps.size());
    for (const std::uint64_t step : steps) writer.varint(step);
    return framed(GivenUp, writer);
}

std::string parkedRecord(std::uint64_t step, std::string_view name) {
    PayloadWriter writer;
    writer.varint(step);
    writer.bytes(name);
    return framed(Parked, writer);
}

std::string undoEndedRecord(std::uint64_t restored) {
    PayloadWriter writer;
    writer.varint(restored);
    return framed(UndoEnded, writer);
}

std::string takenBackRecord(std::uint32_t processId) {
    PayloadWriter writer;
    writer.varint(processId);
    return framed(TakenBack, writer);
}

ReadBatch readBatch(Bytes& bytes, Keep keep) {
    ReadBatch result;
    BatchLog log;
    std::optional<Reading> reading;
    const ReadFile file = scanRecords(bytes, [&](const Record& record, std::uint32_t version) {
        if (!reading) reading.emplace(log, version, keep, bytes.size());
        return reading->take(record);
    });
    switch (file.state) {
    case ReadFile::State::NotAJournal:
        result.fault = "it is not a Norvane journal";
        result.notAJournal = true;
        return result;
    case ReadFile::State::NewerVersion:
        result.fault = "it was written by a newer Norvane (format " + std::to_string(file.version) + ")";
        result.newer = true;
        result.damagedAt = file.version;
        return result;
    case ReadFile::State::Damaged:
        result.damagedAt = file.validBytes;
        if (!reading || !reading->planned()) {
            result.fault = "it is damaged: " + file.fault;
            return result;
        }
        result.damaged = true; // the plan stands: only what came after it is lost
        result.fault = file.fault;
        break;
    case ReadFile::State::Whole:
    case ReadFile::State::TornTail: break; // a crash cut the last write short: what came before stands
    }
    result.validBytes = file.validBytes;
    result.log = std::move(log);
    return result;
}

ReadBatch readBatch(std::string_view text, Keep keep) {
    TextBytes bytes(text);
    return readBatch(bytes, keep);
}

} // namespace norvane::journal
