// The floor of a whole-process run: standard input to standard output, one byte at a time, with
// getc_unlocked and putc_unlocked (glibc; the bench is built on Linux only), so that no lock is
// taken per byte.
#include <cstdio>

int main() {
    for (int c; (c = getc_unlocked(stdin)) != EOF;)
        if (putc_unlocked(c, stdout) == EOF) return 1;
    return !std::ferror(stdin) && std::fflush(stdout) == 0 ? 0 : 1;
}
