#include "plat/platFile.h"

#include <cerrno>
#include <cstdio>
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

int iPlatStreamId(int iStream, uint64_t *puDevId, uint64_t *puFileId) {
    struct stat st;
    if (fstat(iStream, &st) != 0) return errno;
    if (!S_ISREG(st.st_mode)) return ENODEV;
    *puDevId = static_cast<uint64_t>(st.st_dev);
    *puFileId = static_cast<uint64_t>(st.st_ino);
    return 0;
}

int iPlatUnlink(const char *szPath) {
    // A file its owner may not write is read-only, as on Windows, even where the directory
    // would let it be removed.
    struct stat st;
    if (stat(szPath, &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0) return EACCES;
    return unlink(szPath) == 0 ? 0 : errno;
}

int iPlatCopyAttributes(const char *szPath, const PlatStat *pStat) {
    // The owner first: a change of owner may clear the set-user-id bits that chmod then sets.
    // A process that may not give the file away keeps it as its own.
    if (chown(szPath, static_cast<uid_t>(pStat->uOwner), static_cast<gid_t>(pStat->uGroup)) != 0 && errno != EPERM)
        return errno;
    return chmod(szPath, static_cast<mode_t>(pStat->uMode)) == 0 ? 0 : errno;
}

int iPlatReplaceFile(const char *szFrom, const char *szTo) {
    return std::rename(szFrom, szTo) == 0 ? 0 : errno;
}
