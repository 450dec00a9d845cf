// File status and identity, removal and replacement.
#pragma once
#include <cstdint>

struct PlatStat {
    int iIsDir;       // a directory
    int iIsReg;       // a regular file
    int iOwnerRead;   // the owner may read it
    int iOwnerWrite;  // the owner may write it
    int64_t iSize;    // size in bytes as stored
    uint32_t uMode;   // the permission bits, kept for a replacement file
    uint64_t uFileId; // identifies the file or directory on its volume (0 when unknown)
    uint64_t uDevId;  // identifies the volume (0 when unknown)
    uint32_t uOwner;  // the owner and the group (POSIX; 0 elsewhere)
    uint32_t uGroup;
};

// The status of a path; 0 or the C library's error number.
int iPlatStat(const char *szPath, PlatStat *pStat);

// The identity of the file or directory that szPath leads to (links followed): its volume and
// its number on that volume, the same for every path and every spelling that leads to it.
// 0 or the C library's error number.
int iPlatFileId(const char *szPath, uint64_t *puDevId, uint64_t *puFileId);

// The same for a standard stream (0 input, 1 output, 2 error) that is a file on a disk;
// ENODEV for a terminal, a pipe or a device, which no path names.
int iPlatStreamId(int iStream, uint64_t *puDevId, uint64_t *puFileId);

// Deletes a file; 0 or the C library's error number. A file without write permission counts as
// read-only (EACCES) on every platform.
int iPlatUnlink(const char *szPath);

// Gives szPath the permission bits of pStat, and on POSIX its owner and group where the process
// may set them; 0 or the C library's error number.
int iPlatCopyAttributes(const char *szPath, const PlatStat *pStat);

// Moves szFrom to szTo, replacing szTo. On Windows the new file keeps the attributes and the
// security of the one it replaces. 0 or the C library's error number.
int iPlatReplaceFile(const char *szFrom, const char *szTo);
