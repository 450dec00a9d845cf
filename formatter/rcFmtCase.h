// The letter case of keywords (--keyword-case): the formatter's last pass, after the layout.
#pragma once
#include <cstddef>
#include <cstdint>

#include "formatter/rcFmtLex.h"

// Writes the keywords of the formatted statements [pText, pText + nText) (a piece between the
// script's commands, which it never touches), read in rEnc, in capitals
// (KWCASE_UPPER) or in small letters (KWCASE_LOWER); KWCASE_KEEP changes nothing. A keyword is a
// word token that is a W_KEYWORD row of the table of words and no part of a name: a word glued
// to a "." (t.end, rec.type), after "&", ":" or "@" (&table, :new, @link) or to a character of
// several bytes is a name's. Only ASCII letters change, in place: literals, quoted names,
// comments, command lines and units carried whole are other tokens and keep every byte.
void vSetKeywordCase(char *pText, size_t nText, TextEnc rEnc, int32_t eKeywordCase);
