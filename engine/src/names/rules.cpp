// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "norvane/rules.h"

#include "norvane/name_parts.h"

namespace norvane {

std::string replaceAll(std::string_view text, std::string_view search, std::string_view replacement) {
    if (search.empty()) return std::string(text);
    std::string result;
    result.reserve(text.size());
    std::size_t from = 0;
    for (std::size_t at = text.find(search); at != std::string_view::npos; at = text.find(search, from)) {
        result.append(text, from, at - from);
        result.append(replacement);
        from = at + search.size();
    }
    result.append(text, from);
    return result;
}

std::string sequenceText(std::size_t n) {
    std::string digits = std::to_string(n);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    return digits;
}

// One pass only: a second pass over the result would substitute into the
// replacement it just inserted ('x' -> 'xy' would turn 'fox' into 'foxyy').
RuleResult ReplaceName(std::string_view name, std::size_t, const RuleTexts& texts) {
    if (name.find(texts.search) == std::string_view::npos) return Skip{};
    return NewName{replaceAll(name, texts.search, texts.replacement)};
}

RuleResult NumberName(std::string_view name, std::size_t position, const RuleTexts&) {
    const NameParts parts(name);
    const auto extension = parts.component(1);
    if (!extension) return MissingPart{1};
    std::string result = sequenceText(position + 1);
    result += '.';
    result += *extension;
    return NewName{std::move(result)};
}

RuleResult ExtensionName(std::string_view name, std::size_t, const RuleTexts& texts) {
    const NameParts parts(name);
    std::string result(*parts.component(0));
    result += '.';
    result += texts.replacement;
    return NewName{std::move(result)};
}

RuleResult HeaderName(std::string_view name, std::size_t, const RuleTexts&) {
    const NameParts parts(name);
    const auto first = parts.component(1);
    if (!first) return MissingPart{1};
    const auto second = parts.component(2);
    if (!second) return MissingPart{2};
    std::string result(*first);
    result += '.';
    result += *second;
    return NewName{std::move(result)};
}

RuleResult apply(Rule rule, std::string_view name, std::size_t position, const RuleTexts& texts) {
    switch (rule) {
    case Rule::ReplaceName: return ReplaceName(name, position, texts);
    case Rule::NumberName: return NumberName(name, position, texts);
    case Rule::ExtensionName: return ExtensionName(name, position, texts);
    case Rule::HeaderName: return HeaderName(name, position, texts);
    }
    return Skip{};
}

bool announcesDone(Rule rule) { return rule != Rule::ReplaceName; }

std::string_view captionOf(Rule rule) {
    switch (rule) {
    case Rule::ReplaceName: return "Repalce";
    case Rule::NumberName: return "Change File Name";
    case Rule::ExtensionName: return "Change Extention";
    case Rule::HeaderName: return "Remove Hider";
    }
    return {};
}

} // namespace norvane
