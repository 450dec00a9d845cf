#include "plat/platFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int iPlatStat(const char *szPath, PlatStat *pStat) {
    struct stat st;
    if (stat(szPath, &st) != 0) return errno;
    pStat->iIsDir = S_ISDIR(st.st_mode) ? 1 : 0;
    pStat->iIsReg = S_ISREG(st.st_mode) ? 1 : 0;
    pStat->iOwnerRead = (st.st_mode & S_IRUSR) ? 1 : 0;
    pStat->iOwnerWrite = (st.st_mode & S_IWUSR) ? 1 : 0;
    pStat->iSize = static_cast<int64_t>(st.st_size);
    pStat->uMode = static_cast<uint32_t>(st.st_mode & 07777);
    pStat->uFileId = static_cast<uint64_t>(st.st_ino);
    pStat->uDevId = static_cast<uint64_t>(st.st_dev);
    pStat->uOwner = static_cast<uint32_t>(st.st_uid);
    pStat->uGroup = static_cast<uint32_t>(st.st_gid);
    return 0;
}

int iPlatFileId(const char *szPath, uint64_t *puDevId, uint64_t *puFileId) {
    struct stat st;
    if (stat(szPath, &st) != 0) return errno;
    *puDevId = static_cast<uint64_t>(st.st_dev);
    *puFileId = static_cast<uint64_t>(st.st_ino);
    return 0;
}

namespace {
// The status of a standard stream that is a file on a disk; ENODEV for any other stream.
int iDiskStreamStat(int iStream, struct stat *pSt) {
    if (fstat(iStream, pSt) != 0) return errno;
    return S_ISREG(pSt->st_mode) ? 0 : ENODEV;
}
}  // namespace

int iPlatStreamId(int iStream, uint64_t *puDevId, uint64_t *puFileId) {
    struct stat st;
    if (int iErr = iDiskStreamStat(iStream, &st)) return iErr;
    *puDevId = static_cast<uint64_t>(st.st_dev);
    *puFileId = static_cast<uint64_t>(st.st_ino);
    return 0;
}

int iPlatStreamLeft(int iStream, uint64_t *puLeft) {
    struct stat st;
    if (int iErr = iDiskStreamStat(iStream, &st)) return iErr;
    const off_t iAt = lseek(iStream, 0, SEEK_CUR);
    if (iAt < 0) return errno;
    *puLeft = st.st_size > iAt ? static_cast<uint64_t>(st.st_size - iAt) : 0;
    return 0;
}

int iPlatUnlink(const char *szPath) {
    // A file its owner may not write is read-only, as on Windows, even where the directory
    // would let it be removed.
    struct stat st;
    if (stat(szPath, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0) return EACCES;
    return unlink(szPath) == 0 ? 0 : errno;
}

const size_t nPlatPathMax = PATH_MAX - 1;

namespace {
// The caller's right as the system grants it: the effective user and groups, as open() asks.
int iMay(const char *szPath, int iMode) { return faccessat(AT_FDCWD, szPath, iMode, AT_EACCESS) == 0 ? 0 : errno; }
}  // namespace

int iPlatMayRead(const char *szPath, const PlatStat *pStat) {
    // A directory is listed through its entries: it must be searchable too.
    return iMay(szPath, pStat->iIsDir ? R_OK | X_OK : R_OK);
}

namespace {
// Whether the group is the caller's: its effective group or one of its supplementary groups.
bool bInGroup(gid_t gid) {
    if (gid == getegid()) return true;
    int n = getgroups(0, nullptr);
    if (n <= 0) return false;
    gid_t *pGroups = static_cast<gid_t *>(std::calloc(static_cast<size_t>(n), sizeof(gid_t)));
    if (pGroups == nullptr) return false;
    n = getgroups(n, pGroups);
    bool bIn = false;
    for (int i = 0; i < n && !bIn; ++i) bIn = pGroups[i] == gid;
    std::free(pGroups);
    return bIn;
}
}  // namespace

int iPlatMayReplace(const char *szPath, const PlatStat *pStat) {
    if ((pStat->uMode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return EACCES;
    int iErr = iMay(szPath, W_OK);
    if (iErr != 0) return iErr;
    // The new file is made beside the file itself, links followed.
    char *szReal = realpath(szPath, nullptr);
    if (szReal == nullptr) return errno;
    char *pSep = std::strrchr(szReal, '/');
    if (pSep == szReal) pSep[1] = '\0';  // a file of the root
    else if (pSep != nullptr) *pSep = '\0';
    iErr = iMay(szReal, W_OK | X_OK);
    std::free(szReal);
    if (iErr != 0) return iErr;
    if (geteuid() == 0) return 0;
    if (static_cast<uint32_t>(geteuid()) != pStat->uOwner || !bInGroup(static_cast<gid_t>(pStat->uGroup))) return EPERM;
    return 0;
}

int iPlatRemoveNew(const char *szPath) { return unlink(szPath) == 0 ? 0 : errno; }

int iPlatCopyAttributes(const char *szPath, const PlatStat *pStat) {
    // The owner first: a change of owner may clear the set-user-id bits that chmod then sets.
    // Only what differs is changed, so that an owner keeps its file without asking for a right.
    struct stat st;
    if (stat(szPath, &st) != 0) return errno;
    uid_t uid = static_cast<uid_t>(pStat->uOwner);
    gid_t gid = static_cast<gid_t>(pStat->uGroup);
    if ((st.st_uid != uid || st.st_gid != gid) && chown(szPath, st.st_uid != uid ? uid : static_cast<uid_t>(-1),
                                                        st.st_gid != gid ? gid : static_cast<gid_t>(-1)) != 0)
        return errno;
    return chmod(szPath, static_cast<mode_t>(pStat->uMode)) == 0 ? 0 : errno;
}

int iPlatReplaceFile(const char *szFrom, const char *szTo) {
    return std::rename(szFrom, szTo) == 0 ? 0 : errno;
}
