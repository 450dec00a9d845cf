#include "plat/platFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace {
// The C library's stat finds no directory whose name ends in a separator ("sql\\", "sql/"): the
// name is asked for without the separators at its end, but for a root ("\\", "C:\\").
int iStatPath(const char *szPath, struct _stat64 *pSt) {
    size_t n = std::strlen(szPath);
    size_t nKeep = n;
    while (nKeep > 1 && (szPath[nKeep - 1] == '\\' || szPath[nKeep - 1] == '/') && szPath[nKeep - 2] != ':') --nKeep;
    if (nKeep == n) return _stat64(szPath, pSt) == 0 ? 0 : errno;
    char *szShort = static_cast<char *>(std::malloc(nKeep + 1));
    if (szShort == nullptr) return ENOMEM;
    std::memcpy(szShort, szPath, nKeep);
    szShort[nKeep] = '\0';
    int iErr = _stat64(szShort, pSt) == 0 ? 0 : errno;
    std::free(szShort);
    return iErr;
}
}  // namespace

int iPlatStat(const char *szPath, PlatStat *pStat) {
    struct _stat64 st;
    int iErr = iStatPath(szPath, &st);
    if (iErr != 0) return iErr;
    pStat->iIsDir = (st.st_mode & _S_IFDIR) ? 1 : 0;
    pStat->iIsReg = (st.st_mode & _S_IFREG) ? 1 : 0;
    pStat->iOwnerRead = (st.st_mode & _S_IREAD) ? 1 : 0;
    pStat->iOwnerWrite = (st.st_mode & _S_IWRITE) ? 1 : 0;
    pStat->iSize = static_cast<int64_t>(st.st_size);
    pStat->uMode = static_cast<uint32_t>(st.st_mode & (_S_IREAD | _S_IWRITE));
    pStat->uFileId = 0;
    pStat->uDevId = static_cast<uint64_t>(st.st_dev);
    pStat->uOwner = pStat->uGroup = 0;
    return 0;
}

namespace {
// The volume and the file's number of an open handle; a handle that is no file on a disk has
// none.
int iHandleId(HANDLE h, uint64_t *puDevId, uint64_t *puFileId) {
    BY_HANDLE_FILE_INFORMATION rInfo;
    if (!GetFileInformationByHandle(h, &rInfo)) return EIO;
    *puDevId = rInfo.dwVolumeSerialNumber;
    *puFileId = (static_cast<uint64_t>(rInfo.nFileIndexHigh) << 32) | rInfo.nFileIndexLow;
    return 0;
}
}  // namespace

int iPlatFileId(const char *szPath, uint64_t *puDevId, uint64_t *puFileId) {
    // A directory opens only with backup semantics; only the attributes are read.
    HANDLE h = CreateFileA(szPath, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
    int iErr = iHandleId(h, puDevId, puFileId);
    CloseHandle(h);
    return iErr;
}

namespace {
// The handle of a standard stream that is a file on a disk; ENODEV for any other stream.
int iDiskStreamHandle(int iStream, HANDLE *ph) {
    *ph = reinterpret_cast<HANDLE>(_get_osfhandle(iStream));
    if (*ph == INVALID_HANDLE_VALUE) return EBADF;
    return GetFileType(*ph) == FILE_TYPE_DISK ? 0 : ENODEV;
}
}  // namespace

int iPlatStreamId(int iStream, uint64_t *puDevId, uint64_t *puFileId) {
    HANDLE h = nullptr;
    if (int iErr = iDiskStreamHandle(iStream, &h)) return iErr;
    return iHandleId(h, puDevId, puFileId);
}

int iPlatStreamLeft(int iStream, uint64_t *puLeft) {
    HANDLE h = nullptr;
    if (int iErr = iDiskStreamHandle(iStream, &h)) return iErr;
    LARGE_INTEGER iSize, iAt, iZero;
    iZero.QuadPart = 0;
    if (!GetFileSizeEx(h, &iSize) || !SetFilePointerEx(h, iZero, &iAt, FILE_CURRENT)) return EIO;
    *puLeft = iSize.QuadPart > iAt.QuadPart ? static_cast<uint64_t>(iSize.QuadPart - iAt.QuadPart) : 0;
    return 0;
}

int iPlatUnlink(const char *szPath) { return _unlink(szPath) == 0 ? 0 : errno; }

const size_t nPlatPathMax = MAX_PATH - 1;

int iPlatMayRead(const char *szPath, const PlatStat *pStat) {
    return _access(szPath, 4) == 0 ? 0 : errno;
}

int iPlatMayReplace(const char *szPath, const PlatStat *pStat) {
    // The read-only attribute: the file was marked so on purpose.
    if (!pStat->iOwnerWrite) return EACCES;
    // The file's security: a handle that may write is asked for and closed again; opening an
    // existing file changes nothing in it.
    HANDLE h = CreateFileA(szPath, FILE_WRITE_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD e = GetLastError();
        return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? ENOENT : EACCES;
    }
    CloseHandle(h);
    return 0;
}

int iPlatRemoveNew(const char *szPath) {
    // A new file takes the original's bits only where the original may be written: it is never
    // read-only, but a failed removal says why.
    return _unlink(szPath) == 0 ? 0 : errno;
}

int iPlatCopyAttributes(const char *szPath, const PlatStat *pStat) {
    return _chmod(szPath, static_cast<int>(pStat->uMode)) == 0 ? 0 : errno;
}

int iPlatReplaceFile(const char *szFrom, const char *szTo) {
    // ReplaceFileA gives the new file the attributes and the security of the one it replaces;
    // where it cannot (another volume, a system without it), the plain move is taken.
    if (ReplaceFileA(szTo, szFrom, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) return 0;
    if (MoveFileExA(szFrom, szTo, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 0;
    DWORD e = GetLastError();
    return e == ERROR_ACCESS_DENIED ? EACCES : e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? ENOENT : EIO;
}
