// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

namespace norvane {

// The two texts typed into the window, as bytes in the file system's encoding.
struct RuleTexts {
    std::string search;
    std::string replacement;
};

struct NewName {
    std::string name;
};

// The file is left alone and the run goes on.
struct Skip {};

// The rule asked for a component the name does not have.
struct MissingPart {
    std::size_t index;
};

using RuleResult = std::variant<NewName, Skip, MissingPart>;

// Each rule is a pure function of the bare name, its list position and the
// texts; none touches a file.
RuleResult ReplaceName(std::string_view name, std::size_t position, const RuleTexts& texts);
RuleResult NumberName(std::string_view name, std::size_t position, const RuleTexts& texts);
RuleResult ExtensionName(std::string_view name, std::size_t position, const RuleTexts& texts);
RuleResult HeaderName(std::string_view name, std::size_t position, const RuleTexts& texts);

// The four rules, one for each of the window's buttons.
enum class Rule { ReplaceName, NumberName, ExtensionName, HeaderName };

RuleResult apply(Rule rule, std::string_view name, std::size_t position, const RuleTexts& texts);

// The caption of the button that runs the rule, as the window shows it.
std::string_view captionOf(Rule rule);

// Every rule but ReplaceName ends its run with "Done!".
bool announcesDone(Rule rule);

// Leftmost, non-overlapping, single-pass substitution of every occurrence;
// an empty search text leaves the text as it is.
std::string replaceAll(std::string_view text, std::string_view search, std::string_view replacement);

// n in decimal, zero-padded to at least three digits.
std::string sequenceText(std::size_t n);

} // namespace norvane
