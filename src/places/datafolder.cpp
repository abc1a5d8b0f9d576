#include "places/datafolder.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

std::vector<DataPlace> dataPlaces(const DataSearchInputs& in) {
    std::vector<DataPlace> places;
    auto add = [&](const char* source, const std::string& folder) {
        if (!folder.empty())
            places.push_back({source, folder});
    };
    add("--data", in.option);
    add("QUORL_DATA", in.environment);
    if (!in.executableFolder.empty()) {
        if (!in.fromExecutable.empty())
            add("beside the program",
                (fs::path(in.executableFolder) / in.fromExecutable).lexically_normal().string());
    }
    add("install folder", in.installFolder);
    add("working folder", in.workingFolder);
    if (!in.executableFolder.empty())
        add("checkout beside the build folder",
            (fs::path(in.executableFolder) / ".." / "data").lexically_normal().string());
    return places;
}

std::string dataFolderProblem(const std::string& folder, const std::string& version) {
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return "no such folder";
    std::ifstream marker(fs::path(folder) / DATA_MARKER, std::ios::binary);
    if (!marker)
        return std::string("no ") + DATA_MARKER;
    std::string first;
    std::getline(marker, first);
    if (!first.empty() && first.back() == '\r')
        first.pop_back();
    if (first != version)
        return "data of version \"" + first.substr(0, 40) + "\", not " + version;
    return "";
}

int findDataPlace(const std::vector<DataPlace>& places, const std::string& version,
                  std::vector<std::string>& passedOver, std::vector<std::string>& looked) {
    passedOver.clear();
    looked.clear();
    // Invariant: no place before i holds the data of `version`.
    for (size_t i = 0; i < places.size(); ++i) {
        std::string problem = dataFolderProblem(places[i].folder, version);
        if (problem.empty())
            return static_cast<int>(i);
        std::string line = places[i].source + ": " + places[i].folder + " (" + problem + ")";
        looked.push_back(line);
        if (places[i].source == "--data" || places[i].source == "QUORL_DATA")
            passedOver.push_back(line);
    }
    return -1;
}
