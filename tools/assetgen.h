#pragma once

#include <string>
#include <vector>

// Writes the game's models, textures and launcher icons under `dataDirectory` (into models/,
// textures/ and icons/, which must exist). The output depends on nothing but this code: running it
// twice gives the same bytes. False with `error` set when a file cannot be written.
bool generateAssets(const std::string& dataDirectory, std::string& error);

// The files generateAssets writes, relative to the data directory.
std::vector<std::string> generatedAssetFiles();
