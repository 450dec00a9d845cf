// Large blocks of memory: the texts the program holds are read, squeezed and laid out in blocks
// of their own size, and each page of such a block costs a fault when it is first touched.
#pragma once
#include <cstddef>

// The size from which a block is worth the advice below.
constexpr size_t nPlatLargeBlock = size_t(4) << 20;

// Advises the system that the block [p, p + n) (of nPlatLargeBlock bytes or more), which the
// program is about to fill, is best backed by large pages: the first touch of each 2 MiB of it
// then costs one fault where it cost 512. A hint only: where the system has no such pages, or
// declines, nothing changes, and the block's bytes never do.
void vPlatAdviseLargeBlock(void *p, size_t n);

// The size from which a block that the program is about to fill is worth vPlatWillFill.
constexpr size_t nPlatFillBlock = size_t(256) << 10;

// Tells the system that the program is about to write every byte of [p, p + n), a block of
// nPlatFillBlock bytes or more: where it can, it gives the block its pages in one call, where
// the first touch of each would cost a fault of its own. A hint only: the block's bytes never
// change, and where the system cannot, nothing does.
void vPlatWillFill(void *p, size_t n);
