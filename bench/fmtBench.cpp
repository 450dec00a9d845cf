// Throughput of rcFmtStmt in MB/s on three generated texts of 1 MB each: a script of 10,000 small
// statements, one SELECT with some 2,800 nested SELECTs (joins, CASE, AND chains, nested
// conditions), and a package body with some 400 subprograms; and on the largest file of each of
// tests/data/sql and tests/data/plsql that formats without failure.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "formatter/rcFmtStmt.h"
#include "runtime/psGlobals.h"

namespace {
const size_t MB = 1u << 20;

std::string sSmallStatements() {
    std::string s;
    for (int i = 0; i < 10000; ++i) {
        std::string n = std::to_string(i);
        s += "UPDATE t_" + n + " SET a = a + 1, b = 'x" + n + "', e = NULL WHERE id IN (1, 2, 3) AND c > " + n +
             " AND d IS NOT NULL;\n";
    }
    return s;
}

// Blocks joined by UNION ALL, each with two nested SELECTs, until the text holds 1 MB.
std::string sNestedSelect(int *piNested) {
    std::string s;
    for (int i = 0; s.size() < MB; ++i, *piNested += 2) {
        std::string n = std::to_string(i);
        if (i > 0) s += " UNION ALL ";
        s += "SELECT a.c1, b.c2, CASE WHEN a.x = 1 THEN 'one' WHEN a.x = 2 THEN 'two' ELSE 'many' END c3, "
             "NVL(b.y, TO_CHAR(a.z)) c4 FROM t_a" + n + " a INNER JOIN t_b b ON a.id = b.id "
             "LEFT OUTER JOIN t_c c ON c.id = b.id WHERE a.k IN (1, 2, 3) AND a.m = (SELECT MAX(m) FROM t_d d "
             "WHERE d.id = a.id AND d.n IN (SELECT n FROM t_e e WHERE e.q > 0 AND e.r < 10)) "
             "AND (a.v = 1 OR (a.w = 2 AND (a.u = 3 OR (a.t = 4 AND (a.s = 5 OR a.r = 6))))) AND a.o = 'x' "
             "AND a.p BETWEEN 1 AND 100 AND b.q IS NOT NULL AND NVL(c.r, 0) + NVL(c.s, 0) > 10 "
             "AND DECODE(c.t, 1, 'a', 2, 'b', 'c') = b.u AND SUBSTR(b.w, 1, 3) || TRIM(c.x) = 'abcdef' "
             "AND b.y LIKE 'q%' AND c.z NOT IN ('a', 'b', 'c', 'd', 'e') AND a.aa >= b.bb AND a.cc <= c.dd "
             "AND TO_DATE(a.ee, 'YYYYMMDD') < SYSDATE - 30";
    }
    return s + ";";
}

// A package body of subprograms of about 2.6 KB each, until the text holds 1 MB.
std::string sPackageBody(int *piSubprograms) {
    std::string s = "CREATE OR REPLACE PACKAGE BODY pkg IS ";
    for (int i = 0; s.size() < MB; ++i, ++*piSubprograms) {
        std::string p = "p" + std::to_string(i);
        s += "PROCEDURE " + p + "(a IN NUMBER, b OUT VARCHAR2) IS v NUMBER := 0; "
             "CURSOR c IS SELECT x FROM t WHERE y = a AND z > 0; BEGIN ";
        for (int k = 0; k < 9; ++k)
            s += "IF a > " + std::to_string(k) + " THEN v := a * 2; ELSIF a < 0 THEN v := - a; ELSE v := 0; END IF; "
                 "FOR r IN c LOOP v := v + r.x; END LOOP; SELECT COUNT(*) INTO v FROM t1 x INNER JOIN t2 y "
                 "ON x.id = y.id WHERE x.k = v AND y.m IN (1, 2, 3); v := CASE WHEN v > 10 THEN 10 ELSE v END; ";
        s += "b := TO_CHAR(v); EXCEPTION WHEN OTHERS THEN b := NULL; END " + p + "; ";
    }
    return s + "END pkg;";
}

bool bFormats(const std::string &sText) {
    StmtStyle rStyle;
    vDefaultStmtStyle(&rStyle);
    char *szOut = nullptr;
    int rc = rcFmtStmt(sText.c_str(), &szOut, &rStyle);
    vFree(szOut);
    return rc == RC_OK;
}

void vFormat(benchmark::State &state, const std::string &sText) {
    StmtStyle rStyle;
    vDefaultStmtStyle(&rStyle);
    for (auto _ : state) {
        char *szOut = nullptr;
        int rc = rcFmtStmt(sText.c_str(), &szOut, &rStyle);
        benchmark::DoNotOptimize(szOut);
        vFree(szOut);
        if (rc != RC_OK) {
            state.SkipWithError("rcFmtStmt failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(sText.size()));
    state.counters["out_bytes"] = rStyle.iFmtLen;
}

// The largest file of a directory of tests/data that formats as one text.
void vAddLargest(const char *szDir, std::vector<std::pair<std::string, std::string>> *parInputs) {
    std::vector<std::pair<uintmax_t, std::filesystem::path>> arFiles;
    std::error_code ec;
    for (const auto &e : std::filesystem::directory_iterator(std::string(QUORVA_TEST_DATA) + "/" + szDir, ec))
        if (e.is_regular_file()) arFiles.emplace_back(e.file_size(), e.path());
    std::sort(arFiles.rbegin(), arFiles.rend());
    for (const auto &f : arFiles) {
        std::ifstream in(f.second, std::ios::binary);
        std::string sText((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!bFormats(sText)) continue;
        parInputs->emplace_back(std::string("tests/data/") + szDir + "/" + f.second.filename().string(), sText);
        return;
    }
}
}  // namespace

int main(int argc, char **argv) {
    console = std::fopen("/dev/null", "wb");  // failure reports of the probes are not shown
    int iNested = 0, iSubprograms = 0;
    static std::vector<std::pair<std::string, std::string>> arInputs = {
        {"10,000 small statements", sSmallStatements()}};
    arInputs.emplace_back("SELECT with nested SELECTs", sNestedSelect(&iNested));
    arInputs.emplace_back("package body", sPackageBody(&iSubprograms));
    arInputs[1].first += " (" + std::to_string(iNested) + " nested)";
    arInputs[2].first += " (" + std::to_string(iSubprograms) + " subprograms)";
    for (const char *szDir : {"sql", "plsql"}) vAddLargest(szDir, &arInputs);
    for (const auto &r : arInputs) {
        const std::string *pText = &r.second;
        benchmark::RegisterBenchmark(r.first.c_str(), [pText](benchmark::State &st) { vFormat(st, *pText); })
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
