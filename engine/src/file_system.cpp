#include "norvane/platform.h"

#include "norvane/rename_run.h"

namespace norvane::platform {

std::vector<PathProbe> FileSystem::probeNames(const std::string& folder, const std::vector<std::string_view>& names) {
    std::vector<PathProbe> probes;
    probes.reserve(names.size());
    for (const std::string_view name : names) probes.push_back(probe(JoinPath(folder, name)));
    return probes;
}

} // namespace norvane::platform
