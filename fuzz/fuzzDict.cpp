// Writes the words of the formatter's one table of words as libFuzzer dictionary entries, each
// between blanks; fuzz/run.sh puts them before the hand-kept markers of fuzz/marks.dict.
#include <cstdio>

#include "formatter/rcFmtWords.h"

int main() {
    std::printf("# Generated from formatter/rcFmtWords.def by fuzzDict: do not edit.\n");
    int i = 0;
    for (const WordDef &w : arWordDefs) std::printf("w%d=\" %s \"\n", i++, w.szText);
    for (const WordDef &w : arWordDefs)
        if ((w.uRoles & W_COMMAND) != 0) std::printf("w%d=\"\\x0a%s \"\n", i++, w.szText);
    return 0;
}
