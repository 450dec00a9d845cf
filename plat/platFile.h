// File status and identity, removal and replacement.
#pragma once
#include <cstddef>
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

// The bytes of a standard stream that is a file on a disk from where it stands to its end, as
// the file is now (a hint for the size of the block that reads it: the file may still grow);
// ENODEV for a terminal, a pipe or a device.
int iPlatStreamLeft(int iStream, uint64_t *puLeft);

// Deletes a file; 0 or the C library's error number. A file without write permission counts as
// read-only (EACCES) on every platform.
int iPlatUnlink(const char *szPath);

// Whether the caller may read the file, or list the directory, szPath of status pStat: 0, or
// the C library's error number (EACCES).
int iPlatMayRead(const char *szPath, const PlatStat *pStat);

// Whether the caller may replace the regular file szPath of status pStat with a new file of the
// same bytes' place: 0; EACCES when the file has no write bit at all (it is read-only on purpose,
// whoever asks, root too), when the caller may not write it (POSIX access; Windows the read-only
// attribute and the file's security), or may not make a file in its directory; EPERM when a new
// file made by the caller cannot take the file's owner and group (POSIX: only root may give a
// file away, and an owner only to a group of its own). Windows keeps the owner and the security
// of a replaced file itself.
int iPlatMayReplace(const char *szPath, const PlatStat *pStat);

// The longest path, in bytes, that the platform's file calls take: PATH_MAX less its terminator
// on POSIX; on Windows the old limit of MAX_PATH less its terminator (259), as the calls of the
// ANSI code page are bound by it.
extern const size_t nPlatPathMax;

// Removes a file the run made itself (a new file that did not take its original's place),
// whatever permission bits it was given; 0 or the C library's error number.
int iPlatRemoveNew(const char *szPath);

// Gives szPath the permission bits of pStat, and on POSIX its owner and group (those that differ
// from szPath's own); 0 or the C library's error number (EPERM where the process may not set
// them: the caller must not let a new file change a file's owner).
int iPlatCopyAttributes(const char *szPath, const PlatStat *pStat);

// Moves szFrom to szTo, replacing szTo. On Windows the new file keeps the attributes and the
// security of the one it replaces. 0 or the C library's error number.
int iPlatReplaceFile(const char *szFrom, const char *szTo);
