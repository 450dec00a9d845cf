// The floor of a file-mode run on one file: the least a safe rewrite in place does, and the same
// steps as quorva's (modes/rcFmtOnFile.cpp, plat/): the file's status, its bytes read whole into
// memory, a new file made exclusively beside it (its path with links followed, a name of its
// own), the bytes written and the file closed (flushed to the system, no fsync), the original's
// permission bits given to it, and a rename over the original. The owner is not set: the bench
// rewrites a file of its own. A failure is named on standard error, status 1.
//
//   safeRewrite FILE
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {
int iFail(const char *szWhat, const char *szPath) {
    std::fprintf(stderr, "safeRewrite: %s %s: %s\n", szWhat, szPath, std::strerror(errno));
    return 1;
}
}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: safeRewrite FILE\n");
        return 2;
    }
    const char *szPath = argv[1];
    struct stat st;
    if (stat(szPath, &st) != 0) return iFail("cannot examine", szPath);

    // Read whole, into a block of the size the file has (and a read's worth more), which grows
    // if the file did.
    FILE *fp = std::fopen(szPath, "rb");
    if (fp == nullptr) return iFail("cannot open", szPath);
    size_t nCap = static_cast<size_t>(st.st_size) + BUFSIZ, n = 0;
    char *p = static_cast<char *>(std::malloc(nCap));
    for (size_t nRead; p != nullptr && (nRead = std::fread(p + n, 1, nCap - n, fp)) > 0;) {
        n += nRead;
        if (n == nCap) p = static_cast<char *>(std::realloc(p, nCap *= 2));
    }
    bool bReadFailed = p == nullptr || std::ferror(fp) != 0;
    std::fclose(fp);
    if (bReadFailed) return iFail("cannot read", szPath);

    // The new file, beside the file the path leads to.
    char szReal[PATH_MAX];
    if (realpath(szPath, szReal) == nullptr) return iFail("cannot resolve", szPath);
    std::string sTemp = std::string(szReal) + ".~sr" + std::to_string(getpid());
    int fd = open(sTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return iFail("cannot create", sTemp.c_str());
    FILE *fpOut = fdopen(fd, "wb");
    if (fpOut == nullptr) {
        close(fd);
        unlink(sTemp.c_str());
        return iFail("cannot create", sTemp.c_str());
    }
    bool bWritten = std::fwrite(p, 1, n, fpOut) == n;
    if (std::fclose(fpOut) != 0) bWritten = false;
    if (!bWritten || chmod(sTemp.c_str(), st.st_mode & 07777) != 0 || std::rename(sTemp.c_str(), szReal) != 0) {
        int iErr = errno;
        unlink(sTemp.c_str());
        errno = iErr;
        return iFail("cannot write", szPath);
    }
    std::free(p);
    return 0;
}
