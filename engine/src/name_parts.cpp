#include "norvane/name_parts.h"

namespace norvane {

NameParts::NameParts(std::string_view name) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t dot = name.find('.', start);
        if (dot == std::string_view::npos) {
            parts_.push_back(name.substr(start));
            return;
        }
        parts_.push_back(name.substr(start, dot - start));
        start = dot + 1;
    }
}

std::optional<std::string_view> NameParts::component(std::size_t index) const {
    if (index >= parts_.size()) return std::nullopt;
    return parts_[index];
}

} // namespace norvane
