#include "core/lineendmarks.h"

namespace {

kernels::LineEnd kernelEnd(LineEnding ending)
{
    switch (ending) {
    case LineEnding::Lf:
        return kernels::LineEnd::Lf;
    case LineEnding::Cr:
        return kernels::LineEnd::Cr;
    case LineEnding::CrLf:
        break;
    }
    return kernels::LineEnd::CrLf;
}

ReadEnding readEnding(kernels::LineEnd end)
{
    switch (end) {
    case kernels::LineEnd::Lf:
        return ReadEnding::Lf;
    case kernels::LineEnd::Cr:
        return ReadEnding::Cr;
    case kernels::LineEnd::CrLf:
        break;
    }
    return ReadEnding::CrLf;
}

} // namespace

QByteArray endingBytes(ReadEnding ending, LineEnding usual)
{
    switch (ending) {
    case ReadEnding::Usual:
        return endingBytes(readEnding(kernelEnd(usual)), usual);
    case ReadEnding::CrLf:
        return QByteArrayLiteral("\r\n");
    case ReadEnding::Lf:
        return QByteArrayLiteral("\n");
    case ReadEnding::Cr:
        return QByteArrayLiteral("\r");
    case ReadEnding::Nothing:
        break;
    }
    return QByteArray();
}

LineEndMarks::LineEndMarks(TextStorage::Builder &builder, LineEnding usual)
    : kernels::OddLineEnds(kernelEnd(usual))
    , m_builder(builder)
{ }

void LineEndMarks::note(qsizetype out, kernels::LineEnd end)
{
    m_builder.markBreak(out + shift, TextStorage::BreakMark(readEnding(end)));
}

void LineEndMarks::endLastLine()
{
    if (m_builder.isEmpty() || m_builder.lastUnit() == QLatin1Char('\n'))
        return;
    const qsizetype length = m_builder.length();
    m_builder.appendText(u"\n");
    m_builder.markBreak(length, TextStorage::BreakMark(ReadEnding::Nothing));
}
