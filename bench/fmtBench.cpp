// Throughput of rcFmtStmt in MB/s: a generated 1 MB query (joins, CASE, AND chains, nested
// subqueries and conditions), a generated 1 MB package body, and the largest corpus files of the
// SQL and PL/SQL sets that format without failure.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "runtime/psGlobals.h"
#include "formatter/rcFmtStmt.h"

namespace {
const size_t MB = 1u << 20;

std::string sBigSelect() {
    std::string s;
    for (int i = 0; s.size() < MB; ++i) {
        std::string n = std::to_string(i);
        if (i > 0) s += " UNION ALL ";
        s += "SELECT a.c1, b.c2, CASE WHEN a.x = 1 THEN 'one' WHEN a.x = 2 THEN 'two' ELSE 'many' END c3, "
             "NVL(b.y, TO_CHAR(a.z)) c4 FROM t_a" + n + " a INNER JOIN t_b b ON a.id = b.id "
             "LEFT OUTER JOIN t_c c ON c.id = b.id WHERE a.k IN (1, 2, 3) AND a.m = (SELECT MAX(m) FROM t_d d "
             "WHERE d.id = a.id AND d.n IN (SELECT n FROM t_e e WHERE e.q > 0 AND e.r < 10)) "
             "AND (a.v = 1 OR (a.w = 2 AND (a.u = 3 OR (a.t = 4 AND (a.s = 5 OR a.r = 6))))) "
             "AND a.p BETWEEN 1 AND 100 AND a.o = 'x'";
    }
    return s + ";";
}

std::string sBigPackageBody() {
    std::string s = "CREATE OR REPLACE PACKAGE BODY pkg IS ";
    for (int i = 0; s.size() < MB; ++i) {
        std::string p = "p" + std::to_string(i);
        s += "PROCEDURE " + p + "(a IN NUMBER, b OUT VARCHAR2) IS v NUMBER := 0; "
             "CURSOR c IS SELECT x FROM t WHERE y = a AND z > 0; BEGIN IF a > 0 THEN v := a * 2; "
             "ELSIF a < 0 THEN v := - a; ELSE v := 0; END IF; FOR r IN c LOOP v := v + r.x; END LOOP; "
             "v := CASE WHEN v > 10 THEN 10 ELSE v END; b := TO_CHAR(v); "
             "EXCEPTION WHEN OTHERS THEN b := NULL; END " + p + "; ";
    }
    return s + "END pkg;";
}

std::string sReadFile(const std::string &sPath) {
    std::string s;
    FILE *fp = std::fopen(sPath.c_str(), "rb");
    if (fp == nullptr) return s;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, fp)) > 0) s.append(buf, n);
    std::fclose(fp);
    return s;
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

// The two largest files of a corpus directory that format as one text.
std::vector<std::pair<std::string, std::string>> arLargest(const char *szDir) {
    std::vector<std::pair<uintmax_t, std::filesystem::path>> arFiles;
    std::error_code ec;
    for (const auto &e : std::filesystem::directory_iterator(std::string(QUORVA_CORPUS_DIR) + "/" + szDir, ec))
        if (e.is_regular_file()) arFiles.emplace_back(e.file_size(), e.path());
    std::sort(arFiles.rbegin(), arFiles.rend());
    std::vector<std::pair<std::string, std::string>> ar;
    for (const auto &f : arFiles) {
        std::string sText = sReadFile(f.second.string());
        if (ar.size() < 2 && bFormats(sText)) ar.emplace_back(std::string(szDir) + "/" + f.second.filename().string(), sText);
    }
    return ar;
}
}  // namespace

int main(int argc, char **argv) {
    console = std::fopen("/dev/null", "wb");  // failure reports of the probes are not shown
    static std::vector<std::pair<std::string, std::string>> arInputs = {
        {"generated 1 MB SELECT", sBigSelect()}, {"generated 1 MB package body", sBigPackageBody()}};
    for (const char *szDir : {"sql", "plsql"})
        for (auto &r : arLargest(szDir)) arInputs.push_back(std::move(r));
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
