#include "norvane/platform.h"

#include "norvane/rename_run.h"

namespace norvane::platform {

void FileSystem::probeNames(const std::string& folder, const std::vector<std::string_view>& names, const NameProbed& each) {
    for (std::size_t i = 0; i < names.size(); ++i) each(i, probe(JoinPath(folder, names[i])));
}

} // namespace norvane::platform
