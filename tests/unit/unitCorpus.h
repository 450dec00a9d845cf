// The corpus of PL/SQL units written for quorva's tests (tests/data/units), and the files of it
// that quorva still refuses: the unit corpus test expects those to be refused and says when one
// of them formats, and the corpus properties pass them over.
#pragma once
#include <cstring>
#include <string>

#include "unitHelpers.h"

// The kinds of construct the corpus is made of, by the letter that begins each file name:
//  A  a schema-qualified (or quoted) unit name, and the unit closed by END name;
//  B  ACCESSIBLE BY on a unit or on a subprogram;
//  C  a call spec (LANGUAGE JAVA, LANGUAGE C, EXTERNAL) in place of BEGIN ... END;
//  D  a CASE expression right before LOOP;
//  E  a column named exception;
//  F  $IF ... $THEN ... $ELSE ... $END in a parameter list, a declaration section or a list in
//     parentheses;
//  G  text in a branch that is never compiled: templates, words or parentheses without partner;
//  H  CREATE PACKAGE [BODY] IF NOT EXISTS.
// "control_" files hold ordinary units.
struct KnownRefusal {
    const char *szFile;   // the file's name in tests/data/units
    const char *szKinds;  // the letters of the constructs the refusal comes from
};

// Refused today with RC_PAREN, under every option set: take a file off the list when it formats.
inline const KnownRefusal arKnownRefusals[] = {
    {"a_quoted_schema_package.sql", "A"},
    {"a_schema_qualified_nested_subprograms.sql", "A"},
    {"a_schema_qualified_package.sql", "A"},
    {"b_accessible_by_subprogram.sql", "B"},
    {"c_c_library_call_spec.sql", "C"},
    {"c_call_specs_in_package_body.sql", "C"},
    {"c_external_call_spec.sql", "C"},
    {"c_java_call_spec.sql", "C"},
    {"d_case_for_loop_bound.sql", "D"},
    {"d_case_loops_in_package_body.sql", "D"},
    {"d_case_while_loop.sql", "D"},
    {"e_exception_column_in_block.sql", "E"},
    {"e_exception_column_table.sql", "E"},
    {"f_cc_parameter_list.sql", "F"},
    {"g_cc_false_template.sql", "G"},
    {"g_cc_unbalanced_words.sql", "G"},
    {"h_if_not_exists_script.sql", "AH"},
    {"h_package_if_not_exists.sql", "H"},
};

// The directory of the unit corpus.
inline fs::path unitCorpusDir() { return fs::path(QUORVA_TEST_DATA) / "units"; }

// The entry of a file of the unit corpus that is refused today, or null.
inline const KnownRefusal *pKnownRefusal(const fs::path &p) {
    if (p.parent_path() != unitCorpusDir()) return nullptr;
    for (const KnownRefusal &k : arKnownRefusals)
        if (p.filename() == k.szFile) return &k;
    return nullptr;
}
