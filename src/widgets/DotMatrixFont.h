#pragma once
// The 5 x 7 character set of the LED dot-matrix displays.
#include <QChar>
#include <QtGlobal>

namespace dotmatrix {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;

// Column `column` (0..4) of the glyph for `c`: bit r set means row r (0 = top) is lit.
// Accented letters show their base letter; characters without a glyph show '?'.
quint8 glyphColumn(QChar c, int column);

} // namespace dotmatrix
