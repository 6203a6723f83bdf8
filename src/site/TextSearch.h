#pragma once

#include <QString>

/// Position of pattern in text searched from position start, both counted from 1: the match's
/// index (from 0) plus two, or 0 when there is none. The last character of text is never
/// searched, start 0 or past the end gives 0, and an empty pattern is never found.
int instr(int start, const QString& text, const QString& pattern);

/// An option's text as the page writes it in markup, with "&amp;", "&lt;" and "&gt;" turned back
/// into the characters they stand for.
QString decodeOptionText(const QString& markup);
