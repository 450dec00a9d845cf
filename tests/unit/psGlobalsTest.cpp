// Number formatting, the executable's location and the dump-file helpers.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "consoleCapture.h"
#include "testFiles.h"
#include "plat/platFile.h"
#include "plat/platStdio.h"
#include "runtime/msgCatalog.h"
#include "runtime/psGlobals.h"

namespace {
std::string sPath(const std::string &sDir, const std::string &sName) { return sDir + cPlatPathSep + sName; }

}  // namespace

TEST(FmtNum, GroupsOfThreeDigits) {
    const struct {
        int64_t v;
        const char *szWant;
    } arCases[] = {
        {0, "0"},           {7, "7"},           {999, "999"},         {1000, "1,000"},
        {-1000, "-1,000"},  {-1234, "-1,234"},  {1234567, "1,234,567"}, {2147483647, "2,147,483,647"},
        {INT64_MIN, "-9,223,372,036,854,775,808"},
    };
    for (const auto &c : arCases) EXPECT_STREQ(szFmtNum(c.v, 3), c.szWant) << c.v;
}

TEST(FmtNum, OneSharedBuffer) {
    const char *p1 = szFmtNum(1, 3);
    const char *p2 = szFmtNum(22, 3);
    EXPECT_EQ(p1, p2);
    EXPECT_STREQ(p1, "22");
}

TEST(GetExeLoc, SplitsAtTheLastSeparator) {
    const struct {
        std::string sPath, sDir, sName;
    } arCases[] = {
        {sPath(sPath("", "usr"), "quorva.exe"), sPath("", "usr"), "quorva"},
        {"quorva.exe", "", "quorva"},
        {sPath("d", "a.b.c"), "d", "a.b"},
        {sPath("d", "quorva"), "d", "quorva"},  // no dot: the whole base name
    };
    for (const auto &c : arCases) {
        char szDir[MAX_PATH_LEN + 1], szName[MAX_PATH_LEN + 1];
        ASSERT_EQ(rcGetExeLoc(c.sPath.c_str(), szDir, szName), RC_OK) << c.sPath;
        EXPECT_EQ(std::string(szDir), c.sDir);
        EXPECT_EQ(std::string(szName), c.sName);
    }
}

TEST(GetExeLoc, RefusesLongParts) {
    ConsoleCapture cap;
    char szDir[MAX_PATH_LEN + 1] = "keep", szName[MAX_PATH_LEN + 1] = "keep";
    std::string sLongDir(261, 'd');
    EXPECT_EQ(rcGetExeLoc(sPath(sLongDir, "q.exe").c_str(), szDir, szName), RC_EXELEN);
    EXPECT_EQ(iLastErrLine, 119);
    EXPECT_EQ(rcGetExeLoc(sPath("d", std::string(261, 'n') + ".exe").c_str(), szDir, szName), RC_EXELEN);
    EXPECT_EQ(iLastErrLine, 125);
    EXPECT_STREQ(szDir, "keep");
    EXPECT_EQ(cap.sLines(),
              "ディレクトリ名の長さが最大長を超えました。260\n関数 rcGetExeLoc() が異常終了しました。(.\\psGlobals-119)\n"
              "ファイル名の長さが最大長を超えました。260\n関数 rcGetExeLoc() が異常終了しました。(.\\psGlobals-125)\n");
}

TEST(WriteStr, WritesBytesAndReplacesAnExistingFile) {
    ConsoleCapture cap;
    const char szName[] = "ps_dump_test.sql";
    ASSERT_EQ(rcWriteStr(szName, "old text that is longer", 23), RC_OK);
    ASSERT_EQ(rcWriteStr(szName, "a\nb\r\n\0c", 7), RC_OK);
    EXPECT_EQ(sReadBytes(szName), std::string("a\nb\r\n\0c", 7));  // exactly the bytes, no line-end change
    ASSERT_EQ(rcWriteStr(szName, "", 0), RC_OK);               // an empty buffer is an empty file
    EXPECT_EQ(sReadBytes(szName), "");
    EXPECT_EQ(rcUnlink(szName), RC_OK);
    EXPECT_EQ(cap.sText(), "");
}

TEST(WriteStr, FailureCodesAndSites) {
    const std::string s260(260, 'n'), s261(261, 'n');
    {
        ConsoleCapture cap;
        EXPECT_EQ(rcWriteStr(s261.c_str(), "x", 1), RC_NAMELEN);
        EXPECT_EQ(cap.sLines(), "Error - ファイル名が長すぎます。現在の長さは 261 です。半角文字 260 字以内で指定して下さい。" + s261 +
                                    "\n関数 rcOpenDiag() が異常終了しました。(.\\psGlobals-396)\n"
                                    "関数 rcWriteStr() が異常終了しました。(.\\psGlobals-480)\n");
    }
    {
        // 260 characters pass the length check (the system may still refuse such a name).
        ConsoleCapture cap;
        int rc = rcWriteStr(s260.c_str(), "x", 1);
        EXPECT_NE(rc, RC_NAMELEN);
        if (rc == RC_OK) rcUnlink(s260.c_str());
    }
    {
        ConsoleCapture cap;
        std::string sMissing = sPath("no_such_dir_q", "dump.sql");
        EXPECT_EQ(rcWriteStr(sMissing.c_str(), "x", 1), RC_OPEN);
        std::string s = cap.sLines();
        EXPECT_EQ(s.rfind("Error - ファイルのオープンに失敗しました。" + sMissing + ":", 0), 0u) << s;
        EXPECT_NE(s.find("関数 rcOpenDiag() が異常終了しました。(.\\psGlobals-452)\n"
                         "関数 rcWriteStr() が異常終了しました。(.\\psGlobals-480)\n"),
                  std::string::npos)
            << s;
    }
}

TEST(Unlink, ClassifiesFailures) {
    {
        ConsoleCapture cap;
        EXPECT_EQ(rcUnlink("ps_no_such_file.sql"), RC_NOTFOUND);
        EXPECT_EQ(iLastErrLine, 532);
        EXPECT_EQ(cap.sLines().rfind("Error - ファイル名またはパス名が見つかりませんでした。ps_no_such_file.sql:", 0), 0u);
    }
    {
        ConsoleCapture cap;
        const char szName[] = "ps_read_only.sql";
        ASSERT_EQ(rcWriteStr(szName, "x", 1), RC_OK);
        ASSERT_EQ(iPlatSetMode(szName, 0444), 0);
        EXPECT_EQ(rcUnlink(szName), RC_READONLY);
        EXPECT_EQ(cap.sLines().rfind("Error - パス名に読み出し専用ファイルを指定しました。ps_read_only.sql:", 0), 0u);
        // Replacing a read-only dump file fails the same way, through rcOpenDiag.
        EXPECT_EQ(rcWriteStr(szName, "y", 1), RC_READONLY);
        EXPECT_EQ(iLastErrLine, 480);
        ASSERT_EQ(iPlatSetMode(szName, 0666), 0);
        EXPECT_EQ(rcUnlink(szName), RC_OK);
    }
}

TEST(Messages, ShiftJisBytes) {
    // "%s メモリの取得に失敗しました。\n" and the normal-end line, pinned as code page 932 bytes.
    EXPECT_EQ(std::string(szMsgNoMem),
              "%s \x83\x81\x83\x82\x83\x8a\x82\xcc\x8e\xe6\x93\xbe\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5"
              "\x82\xbd\x81\x42\n");
    EXPECT_EQ(std::string(szMsgNormalEnd),
              "\x90\xb3\x8f\xed\x8f\x49\x97\xb9\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42" + std::string(26, ' ') + "\n");
    EXPECT_EQ(std::string(szMsgTrail),
              "\x8a\xd6\x90\x94 %s \x82\xaa\x88\xd9\x8f\xed\x8f\x49\x97\xb9\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42"
              "(%s-%d)\n");
}

TEST(Messages, ConsoleWritesCrLf) {
    ConsoleCapture cap;
    iConPrintf("a\nb%s\n", "\n");
    std::string sLong(3000, 'x');
    iConPrintf("%s\n", sLong.c_str());  // longer than the formatting buffer
    EXPECT_EQ(cap.sText(), "a\r\nb\r\n\r\n" + sLong + "\r\n");
}
