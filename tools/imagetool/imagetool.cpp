// imagetool: a command-line front end of the image code for maintainers and
// conformance runs. Usage: imagetool SUBCOMMAND ARGS...
#include <cstdio>
#include <cstring>

int ImagetoolFrames(int argc, char** argv);

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "frames") == 0) return ImagetoolFrames(argc - 1, argv + 1);
    std::fprintf(stderr, "usage: imagetool frames FILE OUTDIR [--background RRGGBB]\n");
    return 2;
}
