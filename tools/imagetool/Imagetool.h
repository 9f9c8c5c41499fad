#pragma once
// imagetool's subcommands. Each takes the arguments after its own name and
// returns the process exit code.
#include <string>
#include <vector>

#include "imaging/PixelImage.h"

namespace panorel::imagetool {

// The loading options both subcommands take, and the files named.
struct LoadOptions {
    std::vector<std::string> files;
    int iconCx = 0, iconCy = 0, depth = 32;  // the depth the styled button asks for
    bool noZlib = false, noGdiplus = false;
};
// False for an option it does not know.
bool ParseLoadOptions(int argc, char** argv, LoadOptions& o);
bool LoadImageFile(const std::string& file, const LoadOptions& o, imaging::PixelImage& out);

int Info(int argc, char** argv);     // info FILE [options]
int Convert(int argc, char** argv);  // convert IN OUT [options]

}  // namespace panorel::imagetool
