#pragma once
// imagetool's subcommands. Each takes the arguments after its own name and
// returns the process exit code.
namespace panorel::imagetool {

int Info(int argc, char** argv);     // info FILE [options]
int Convert(int argc, char** argv);  // convert IN OUT [options]

}  // namespace panorel::imagetool
