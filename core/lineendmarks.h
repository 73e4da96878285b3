#pragma once

#include "core/documentfile.h"
#include "kernels/textkernels.h"

// Line ends as the text keeps them: every line break is '\n', and a break whose line end in the
// file differs from the document's usual one carries a mark saying what it was.

// What the mark of a line break says about the bytes it was read from. A break without one
// is written with the document's line ending: most files have no other, and every break typed
// or pasted gets that one.
enum class ReadEnding : TextStorage::BreakMark { Usual, CrLf, Lf, Cr, Nothing };

// The bytes of a line break read as ending, in a document whose usual line end is usual.
QByteArray endingBytes(ReadEnding ending, LineEnding usual);

// The kind of the first line end, in decoded text or in the bytes of a one-byte file; a text
// without one is written with CR LF.
template<class View, class Unit>
LineEnding firstLineEnding(View text, Unit cr, Unit lf)
{
    const qsizetype lfAt = text.indexOf(lf);
    const qsizetype crAt = text.first(lfAt < 0 ? text.size() : lfAt).indexOf(cr);
    if (crAt >= 0)
        return crAt + 1 == lfAt ? LineEnding::CrLf : LineEnding::Cr;
    return lfAt >= 0 ? LineEnding::Lf : LineEnding::CrLf;
}

// Marks each line end that differs from the document's own one, so that it is written back
// as it was read. The line ends come from the kernels that compact lines, at positions in the
// units they work on; the unit at offset k there is at position k + shift of the text.
class LineEndMarks : public kernels::OddLineEnds
{
public:
    LineEndMarks(TextStorage::Builder &builder, LineEnding usual);

    void note(qsizetype out, kernels::LineEnd end) override;
    // A last line read is followed by a line break like every other; a file that had no
    // line end there gets none when it is written.
    void endLastLine();

    qsizetype shift = 0;

private:
    TextStorage::Builder &m_builder;
};
