// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// libFuzzer target: any bytes as a name, the two texts and a position. No
// rule may crash or misbehave, and each result must keep the shape its rule
// promises; a broken promise aborts, so the fuzzer keeps the input.

#include "norvane/file_list.h"
#include "norvane/name_order.h"
#include "norvane/name_parts.h"
#include "norvane/rules.h"
#include "require.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace norvane;

// Leftmost, non-overlapping, one pass, compared byte by byte: written apart
// from replaceAll so the two can check each other.
struct Replaced {
    std::string text;
    std::size_t occurrences = 0;
};

Replaced replaceByHand(const std::string& text, const std::string& search, const std::string& replacement) {
    Replaced result;
    if (search.empty()) {
        result.text = text;
        return result;
    }
    std::size_t i = 0;
    while (i < text.size()) {
        if (text.size() - i >= search.size() && std::equal(search.begin(), search.end(), text.begin() + static_cast<std::ptrdiff_t>(i))) {
            result.text += replacement;
            ++result.occurrences;
            i += search.size();
        } else {
            result.text += text[i++];
        }
    }
    return result;
}

const std::string* newName(const RuleResult& result) {
    const auto* name = std::get_if<NewName>(&result);
    return name ? &name->name : nullptr;
}

bool missing(const RuleResult& result, std::size_t index) {
    const auto* part = std::get_if<MissingPart>(&result);
    return part && part->index == index;
}

bool sameResult(const RuleResult& a, const RuleResult& b) {
    if (a.index() != b.index()) return false;
    if (const auto* name = newName(a)) return *name == *newName(b);
    if (const auto* part = std::get_if<MissingPart>(&a)) return part->index == std::get<MissingPart>(b).index;
    return true;
}

void checkNameParts(const std::string& name, const NameParts& parts) {
    const auto dots = static_cast<std::size_t>(std::count(name.begin(), name.end(), '.'));
    REQUIRE(parts.count() == dots + 1);
    REQUIRE(!parts.component(parts.count()).has_value());
    std::string joined;
    for (std::size_t i = 0; i < parts.count(); ++i) {
        const auto component = parts.component(i);
        REQUIRE(component.has_value());
        REQUIRE(component->find('.') == std::string_view::npos);
        if (i > 0) joined += '.';
        joined.append(*component);
    }
    REQUIRE(joined == name);
}

void checkSequenceText(std::size_t n) {
    const std::string digits = sequenceText(n);
    const std::string plain = std::to_string(n);
    REQUIRE(digits.size() == std::max<std::size_t>(3, plain.size()));
    REQUIRE(digits.compare(digits.size() - plain.size(), plain.size(), plain) == 0);
    REQUIRE(std::all_of(digits.begin(), digits.end() - static_cast<std::ptrdiff_t>(plain.size()), [](char c) { return c == '0'; }));
}

void checkRules(const std::string& name, std::size_t position, const RuleTexts& texts) {
    const NameParts parts(name);
    checkNameParts(name, parts);
    const std::string part0(*parts.component(0));
    const auto part1 = parts.component(1);
    const auto part2 = parts.component(2);

    const RuleResult extension = ExtensionName(name, position, texts);
    REQUIRE(newName(extension) && *newName(extension) == part0 + "." + texts.replacement);

    const RuleResult header = HeaderName(name, position, texts);
    if (!part1) REQUIRE(missing(header, 1));
    else if (!part2) REQUIRE(missing(header, 2));
    else REQUIRE(newName(header) && *newName(header) == std::string(*part1) + "." + std::string(*part2));

    const RuleResult number = NumberName(name, position, texts);
    checkSequenceText(position + 1);
    if (!part1) REQUIRE(missing(number, 1));
    else REQUIRE(newName(number) && *newName(number) == sequenceText(position + 1) + "." + std::string(*part1));

    const RuleResult replace = ReplaceName(name, position, texts);
    if (name.find(texts.search) == std::string::npos) {
        REQUIRE(std::holds_alternative<Skip>(replace));
    } else {
        const Replaced expected = replaceByHand(name, texts.search, texts.replacement);
        REQUIRE(newName(replace) && *newName(replace) == expected.text);
        REQUIRE(replaceAll(name, texts.search, texts.replacement) == expected.text);
        // One pass: exactly one replacement per occurrence found in the name.
        REQUIRE(expected.text.size() + expected.occurrences * texts.search.size() ==
                name.size() + expected.occurrences * texts.replacement.size());
        if (texts.search.empty() || texts.search == texts.replacement) REQUIRE(*newName(replace) == name);
        // A lone byte cannot be rebuilt from pieces: none is left unless the replacement brings it.
        if (texts.search.size() == 1 && texts.replacement.find(texts.search) == std::string::npos)
            REQUIRE(newName(replace)->find(texts.search) == std::string::npos);
    }

    for (const Rule rule : {Rule::ReplaceName, Rule::NumberName, Rule::ExtensionName, Rule::HeaderName}) {
        const RuleResult direct = rule == Rule::ReplaceName ? replace : rule == Rule::NumberName ? number
                                : rule == Rule::ExtensionName ? extension : header;
        REQUIRE(sameResult(apply(rule, name, position, texts), direct));
    }
}

// The lists' order must be a strict total order, or numbering would depend on the sort.
void checkOrder(const std::string& a, const std::string& b) {
    REQUIRE(!caseBlindLess(a, a));
    const bool less = caseBlindLess(a, b), greater = caseBlindLess(b, a);
    REQUIRE(!(less && greater));
    REQUIRE(less || greater || a == b);
}

void checkPattern(const std::string& name, const std::string& pattern) {
    REQUIRE(matchesPattern(name, "*.*"));
    REQUIRE(matchesPattern(name, "*"));
    if (name.find_first_of("*?") == std::string::npos) REQUIRE(matchesPattern(name, name));
    (void)matchesPattern(name, pattern); // any pattern: no crash, no endless loop
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    // Positions beyond 16 bits too: numbering must keep growing its digits.
    const std::size_t position = input.ConsumeIntegral<std::uint32_t>();
    RuleTexts texts;
    const std::string name = input.ConsumeRandomLengthString(512);
    texts.search = input.ConsumeRandomLengthString(64);
    texts.replacement = input.ConsumeRemainingBytesAsString();
    checkRules(name, position, texts);
    checkOrder(name, texts.search);
    checkPattern(name, texts.search);
    return 0;
}
