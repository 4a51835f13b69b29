#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

namespace norvane {

// The components of a file name cut at every ".", numbered from 0. A name with
// k dots has exactly k + 1 components; any of them may be empty. The parts
// view into the name given, which must outlive them.
class NameParts {
public:
    explicit NameParts(std::string_view name);

    std::size_t count() const { return parts_.size(); }

    // nullopt when the name has no component at that index.
    std::optional<std::string_view> component(std::size_t index) const;

private:
    std::vector<std::string_view> parts_;
};

} // namespace norvane
