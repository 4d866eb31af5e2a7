// Writes the sample client's data files: make_sample DIR
#include <cstdio>

#include "platform/files.h"
#include "sample_client.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: make_sample DIR\n", stderr);
        return 2;
    }
    if (!platform::makeDirectory(argv[1]) || !sample::writeSampleClient(argv[1])) {
        std::fprintf(stderr, "make_sample: cannot write the sample client into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
