// Throughput of the statement formatter beside a plain byte copy of the same buffer, on texts
// generated here at 1 MB and 10 MB: a script of small statements, one SELECT whose blocks hold
// nested SELECTs (joins, CASE, AND chains, nested conditions), a package body of many
// subprograms, lines of comments, and prose (no statement: a text read twice where it should be
// read once shows in its rate at 10 MB); and on the largest file of tests/data/sql and tests/data/plsql that formats. After
// the runs a table gives MB/s of both, their ratio and the token reader's MB/s alone (every token
// cut), and a second one, for each generated kind,
// the rate at 10 MB against the rate at 1 MB (1.00: as fast on the larger text).
//
//   quorva_bench [benchmark options]      run and print the table
//   quorva_bench --write-inputs DIR       write the generated texts to DIR (for whole-process runs)
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "formatter/rcFmtStmt.h"
#include "formatter/rcFmtTokens.h"
#include "runtime/psGlobals.h"

namespace {
const size_t MB = 1u << 20;

std::string sSmallStatements(size_t nBytes) {
    std::string s;
    for (int i = 0; s.size() < nBytes; ++i) {
        std::string n = std::to_string(i);
        s += "UPDATE t_" + n + " SET a = a + 1, b = 'x" + n + "', e = NULL WHERE id IN (1, 2, 3) AND c > " + n +
             " AND d IS NOT NULL;\n";
    }
    return s;
}

// Blocks joined by UNION ALL, each with two nested SELECTs.
std::string sNestedSelect(size_t nBytes) {
    std::string s;
    for (int i = 0; s.size() < nBytes; ++i) {
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
    return s + ";\n";
}

// A package body of subprograms of about 2.6 KB each.
std::string sPackageBody(size_t nBytes) {
    std::string s = "CREATE OR REPLACE PACKAGE BODY pkg IS ";
    for (int i = 0; s.size() < nBytes; ++i) {
        std::string p = "p" + std::to_string(i);
        s += "PROCEDURE " + p + "(a IN NUMBER, b OUT VARCHAR2) IS v NUMBER := 0; "
             "CURSOR c IS SELECT x FROM t WHERE y = a AND z > 0; BEGIN ";
        for (int k = 0; k < 9; ++k)
            s += "IF a > " + std::to_string(k) + " THEN v := a * 2; ELSIF a < 0 THEN v := - a; ELSE v := 0; END IF; "
                 "FOR r IN c LOOP v := v + r.x; END LOOP; SELECT COUNT(*) INTO v FROM t1 x INNER JOIN t2 y "
                 "ON x.id = y.id WHERE x.k = v AND y.m IN (1, 2, 3); v := CASE WHEN v > 10 THEN 10 ELSE v END; ";
        s += "b := TO_CHAR(v); EXCEPTION WHEN OTHERS THEN b := NULL; END " + p + "; ";
    }
    return s + "END pkg;\n/\n";
}

// A section commented out: lines of line comments, a block comment now and then.
std::string sCommentLines(size_t nBytes) {
    std::string s;
    for (int i = 0; s.size() < nBytes; ++i)
        s += i % 10 == 9 ? "/* block " + std::to_string(i) + " */\n" : "-- line " + std::to_string(i) + " of a section\n";
    return s;
}

// A text that is no SQL (a buffer sent by mistake): sentences whose IF, ELSIF and WHEN no THEN
// follows, and no ";".
std::string sProse(size_t nBytes) {
    std::string s;
    for (int i = 0; s.size() < nBytes; ++i)
        s += "If the file " + std::to_string(i) + " is missing, or elsif it is empty, the job stops when it starts. ";
    return s + "\n";
}

bool bFormats(const std::string &sText) {
    StmtStyle rStyle;
    vDefaultStmtStyle(&rStyle);
    char *szOut = nullptr;
    int rc = rcFmtStmtLen(sText.data(), sText.size(), &szOut, &rStyle);
    vFree(szOut);
    return rc == RC_OK;
}

void vFormat(benchmark::State &state, const std::string &sText) {
    StmtStyle rStyle;
    vDefaultStmtStyle(&rStyle);
    for (auto _ : state) {
        char *szOut = nullptr;
        int rc = rcFmtStmtLen(sText.data(), sText.size(), &szOut, &rStyle);
        benchmark::DoNotOptimize(szOut);
        vFree(szOut);
        if (rc != RC_OK) {
            state.SkipWithError("the formatter failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(sText.size()));
}

// The token reader alone: every token of the text cut, at the finest grain (what a formatter that
// reads each token once would start from).
void vTokens(benchmark::State &state, const std::string &sText) {
    const TextEnc rEnc = rTextEnc(eDetectEncoding(sText.data(), sText.size()));
    for (auto _ : state) {
        TokenReader reader(sText.data(), sText.size(), rEnc);
        size_t n = 0;
        for (Token t; reader.bNext(&t);) n += t.nLen;
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(sText.size()));
}

// The floor: every byte read and written once, one at a time, into a new buffer.
void vCopy(benchmark::State &state, const std::string &sText) {
    for (auto _ : state) {
        char *p = static_cast<char *>(pvAlloc(sText.size() + 1));
        const char *s = sText.data();
        for (size_t i = 0, n = sText.size(); i < n; ++i) {
            p[i] = s[i];
            benchmark::ClobberMemory();
        }
        benchmark::DoNotOptimize(p);
        vFree(p);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(sText.size()));
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
        parInputs->emplace_back(std::string(szDir) + "_" + f.second.filename().string(), sText);
        return;
    }
}

// Prints the usual lines, then a table of each input's MB/s formatted and copied, and one of each
// generated kind's rates at 1 MB and 10 MB.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run> &runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            auto it = r.counters.find("bytes_per_second");
            if (r.error_occurred || it == r.counters.end()) continue;
            std::string sName = r.benchmark_name();
            size_t iSlash = sName.find('/');
            if (iSlash == std::string::npos) continue;
            std::string sKind = sName.substr(0, iSlash), sInput = sName.substr(iSlash + 1);
            sInput = sInput.substr(0, sInput.find('/'));
            if (sKind == "tokens")
                mTokens_[sInput] = it->second.value / 1e6;
            else
                (sKind == "format" ? m_[sInput].first : m_[sInput].second) = it->second.value / 1e6;
        }
    }
    void Finalize() override {
        std::printf("\n%-40s %12s %12s %8s %12s\n", "input", "format MB/s", "copy MB/s", "ratio", "tokens MB/s");
        for (const auto &e : m_)
            std::printf("%-40s %12.1f %12.1f %7.1fx %12.1f\n", e.first.c_str(), e.second.first, e.second.second,
                        e.second.first > 0 ? e.second.second / e.second.first : 0.0, mTokens_[e.first]);
        std::printf("\nMB/s at 1 MB and at 10 MB of each generated kind; 10MB/1MB: the rate at 10 MB over the rate at 1 MB\n");
        std::printf("%-24s %12s %12s %9s %12s %12s %9s\n", "kind", "format 1MB", "format 10MB", "10MB/1MB",
                    "copy 1MB", "copy 10MB", "10MB/1MB");
        const std::string s1 = "_1MB";
        for (const auto &e : m_) {
            const std::string &sName = e.first;
            if (sName.size() <= s1.size() || sName.compare(sName.size() - s1.size(), s1.size(), s1) != 0) continue;
            const std::string sKind = sName.substr(0, sName.size() - s1.size());
            auto it = m_.find(sKind + "_10MB");
            if (it == m_.end()) continue;
            const std::pair<double, double> &r1 = e.second, &r10 = it->second;
            std::printf("%-24s %12.1f %12.1f %9.2f %12.1f %12.1f %9.2f\n", sKind.c_str(), r1.first, r10.first,
                        r1.first > 0 ? r10.first / r1.first : 0.0, r1.second, r10.second,
                        r1.second > 0 ? r10.second / r1.second : 0.0);
        }
        ConsoleReporter::Finalize();
    }

  private:
    std::map<std::string, std::pair<double, double>> m_;
    std::map<std::string, double> mTokens_;  // the token reader's MB/s
};
}  // namespace

int main(int argc, char **argv) {
    console = std::fopen("/dev/null", "wb");  // failure reports of the probes are not shown
    static std::vector<std::pair<std::string, std::string>> arInputs;
    // Each kind at 1 MB and right after it at 10 MB: the two rates that are compared are measured
    // close together, while the machine runs as it ran for the other.
    const std::pair<const char *, std::string (*)(size_t)> arKinds[] = {
        {"small_statements_", sSmallStatements}, {"nested_select_", sNestedSelect}, {"package_body_", sPackageBody},
        {"comment_lines_", sCommentLines},       {"prose_", sProse}};
    for (const auto &k : arKinds)
        for (size_t n : {MB, 10 * MB}) arInputs.emplace_back(k.first + std::to_string(n / MB) + "MB", k.second(n));
    if (argc == 3 && std::strcmp(argv[1], "--write-inputs") == 0) {
        for (const auto &r : arInputs) std::ofstream(std::string(argv[2]) + "/" + r.first + ".sql", std::ios::binary) << r.second;
        return 0;
    }
    for (const char *szDir : {"sql", "plsql"}) vAddLargest(szDir, &arInputs);
    for (const auto &r : arInputs) {
        const std::string *pText = &r.second;
        benchmark::RegisterBenchmark(("format/" + r.first).c_str(), [pText](benchmark::State &st) { vFormat(st, *pText); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("copy/" + r.first).c_str(), [pText](benchmark::State &st) { vCopy(st, *pText); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("tokens/" + r.first).c_str(), [pText](benchmark::State &st) { vTokens(st, *pText); })
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
