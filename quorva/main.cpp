#include "plat/platStdio.h"
#include "quorva/quorva.h"

int main(int argc, char **argv) {
    vPlatBinaryStdio();
    return iQuorvaMain(argc, argv);
}
