#include "plat/platStdio.h"
#include "driver/quorva.h"

int main(int argc, char **argv) {
    vPlatBinaryStdio();
    return iQuorvaMain(argc, argv);
}
