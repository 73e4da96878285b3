#include "core/documentfile.h"

#include "core/fileencoding.h"
#include "core/lineendmarks.h"
#include "platform/largememory.h"

#include <limits>

namespace {

Failure unencodable()
{
    return { FailureNumber::UnencodableText,
        QStringLiteral("The text holds characters that this file's encoding cannot store; "
                       "the file was not changed") };
}

Failure ambiguous()
{
    return { FailureNumber::AmbiguousEncoding,
        QStringLiteral(
            "This text would read back as UTF-16 after saving; the file was not changed. "
            "Copy the text into a new document to save it") };
}

// Writes parts of a text one after another; plain ASCII in one-byte runs is copied as it
// stands when the file is UTF-8, which is what nearly every large file is.
class PartEncoder
{
public:
    explicit PartEncoder(const DocumentFormat &format)
        : m_format(format)
        , m_asciiEnding(endingBytes(ReadEnding::Usual, format.lineEnding))
        , m_ending(QString::fromLatin1(m_asciiEnding))
        , m_utf8(isUtf8(format.encoding))
    { }

    // The run's line breaks get the usual line ending, except those marked with their own.
    // A last line that had no line end keeps none only while it is still the last line and
    // not empty: otherwise leaving it out would join two lines or drop one.
    bool add(const TextStorage::Run &run,
        const std::vector<TextStorage::MarkedBreak> &marks,
        bool endsText = false)
    {
        const qsizetype length = run.latin1 ? run.narrow.size() : run.wide.size();
        qint32 from = 0;
        for (const TextStorage::MarkedBreak &mark : marks) {
            ReadEnding ending = ReadEnding(mark.mark);
            if (ending == ReadEnding::Nothing && !(endsText && mark.offset + 1 == length))
                ending = ReadEnding::Usual;
            if (!addPart(run, from, mark.offset)
                || !addEnding(endingBytes(ending, m_format.lineEnding)))
                return false;
            from = mark.offset + 1;
        }
        return addPart(run, from, length);
    }

    // Where the bytes go from now on.
    void writeTo(QByteArray &bytes) { m_bytes = &bytes; }

    bool flush()
    {
        if (m_pending.isEmpty())
            return true;
        const std::optional<QByteArray> part = encodeCharacters(m_pending, m_format);
        m_pending.clear();
        if (!part)
            return false;
        *m_bytes += *part;
        return true;
    }

private:
    bool addPart(const TextStorage::Run &run, qsizetype from, qsizetype to)
    {
        if (from == to)
            return true;
        const qsizetype length = to - from;
        if (!m_utf8 || !run.latin1) {
            if (run.latin1)
                appendPending(run.narrow.sliced(from, length));
            else
                appendPending(run.wide.sliced(from, length));
            return m_pending.size() < Part || m_pending.back().isHighSurrogate() || flush();
        }
        if (!flush())
            return false;
        // Written in place: a call to append for each of a million short lines costs more
        // than converting them.
        const qsizetype at = m_bytes->size();
        m_bytes->resize(at + 2 * length + 16);
        char *const end = kernels::latin1ToUtf8(
            run.narrow.data() + from, length, m_asciiEnding, m_bytes->data() + at);
        m_bytes->resize(end - m_bytes->data());
        return true;
    }

    bool addEnding(const QByteArray &ending)
    {
        if (!m_utf8) {
            m_pending.append(QLatin1StringView(ending));
            return true;
        }
        if (!flush())
            return false;
        m_bytes->append(ending);
        return true;
    }

    template<class View>
    void appendPending(View text)
    {
        if (m_format.lineEnding == LineEnding::Lf) {
            m_pending.append(text);
            return;
        }
        for (qsizetype done = 0; done < text.size();) {
            qsizetype lineEnd = text.indexOf(QLatin1Char('\n'), done);
            if (lineEnd < 0)
                lineEnd = text.size();
            m_pending.append(text.sliced(done, lineEnd - done));
            if (lineEnd < text.size())
                m_pending.append(m_ending);
            done = lineEnd + 1;
        }
    }

    static constexpr qsizetype Part = 1024 * 1024;
    QByteArray *m_bytes = nullptr;
    const DocumentFormat m_format;
    const QByteArray m_asciiEnding;
    const QString m_ending;
    const bool m_utf8;
    QString m_pending;
};

} // namespace

struct DocumentWriter::Encoding
{
    explicit Encoding(const DocumentFormat &format)
        : encoder(format)
    { }
    PartEncoder encoder;
    std::vector<TextStorage::MarkedBreak> marks;
};

DocumentWriter::DocumentWriter(
    const TextStorage &text, const DocumentFormat &format, Progress *progress)
    : m_text(text)
    , m_format(format)
    , m_progress(progress)
    , m_encoding(std::make_unique<Encoding>(format))
{
    const qsizetype length = text.length();
    m_endsWithLine = length >= 2 && text.at(length - 1) == QLatin1Char('\n')
        && text.at(length - 2) != QLatin1Char('\n');
    if (m_progress)
        m_progress->beginStage(length);
}

DocumentWriter::~DocumentWriter() = default;

Result<bool> DocumentWriter::next(QByteArray &part, qsizetype size)
{
    PartEncoder &encoder = m_encoding->encoder;
    encoder.writeTo(part);
    const bool first = m_run == 0;
    if (first)
        part += byteOrderMark(m_format.encoding);
    for (qsizetype limit = size; m_run < m_text.runCount() && part.size() < limit;) {
        m_text.marksIn(m_run, m_encoding->marks);
        const TextStorage::Run run = m_text.run(m_run);
        ++m_run;
        if (!encoder.add(run, m_encoding->marks, m_endsWithLine && m_run == m_text.runCount()))
            return unencodable();
        if (m_progress)
            m_progress->advance(run.latin1 ? run.narrow.size() : run.wide.size());
        // Whether text that starts like a UTF-16 mark would read back as UTF-16 can only be
        // told once all of it is there, so it comes in one part.
        if (first && limit == size && part.size() >= 2 && !readsBackAs(part.first(2), m_format))
            limit = std::numeric_limits<qsizetype>::max();
    }
    if (m_run < m_text.runCount())
        return true;
    // A text that does not end with a line break gets one, which a save always gave it.
    if (!m_text.isEmpty() && m_text.at(m_text.length() - 1) != QLatin1Char('\n')) {
        TextStorage::Run lineBreak;
        lineBreak.latin1 = true;
        lineBreak.narrow = QLatin1StringView("\n");
        if (!encoder.add(lineBreak, {}))
            return unencodable();
    }
    if (!encoder.flush())
        return unencodable();
    if (first && !readsBackAs(part, m_format))
        return ambiguous();
    return false;
}

Result<QByteArray> encodeDocument(
    const TextStorage &text, const DocumentFormat &format, Progress *progress)
{
    const bool utf16 = isUtf16(format.encoding);
    QByteArray bytes;
    // Most documents need no more than this, and one buffer of the right size saves copying
    // a large file as it grows.
    const qsizetype expected = (text.length() + text.lineCount() * 2 + 8) * (utf16 ? 2 : 1);
    bytes.reserve(expected);
    preferHugePages(bytes.data(), expected);
    DocumentWriter writer(text, format, progress);
    const Result<bool> more = writer.next(bytes, std::numeric_limits<qsizetype>::max());
    if (!more.ok())
        return more.failure();
    Q_ASSERT(!more.value());
    return bytes;
}
