// The floor of a whole-process run: standard input to standard output, one byte at a time.
#include <cstdio>

int main() {
    for (int c; (c = std::getc(stdin)) != EOF;) std::putc(c, stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
