#include "core/documentfile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "document round trip broken: %s\n", what);
    std::abort();
}

} // namespace

// Any bytes must decode; what was decoded must encode again, and reading that back must give
// the same text, encoding and line ending, or a save could change a user's file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const DecodedDocument first = decodeDocument(bytes);
    // The editor's own reader converts inside the bytes it was given; it must read the same.
    const LoadedDocument loaded = loadDocument(QByteArray(bytes.constData(), bytes.size()));
    if (loaded.text.toString() != first.text || !(loaded.format == first.format))
        fail("the editor's reader and the document reader disagree");
    const Result<QByteArray> written = encodeDocument(first.text, first.format);
    if (!written.ok()) {
        // Refusing is sound only for Windows-1252 text that would turn into UTF-16 on disk.
        const bool bomLookalike = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
        if (written.failure().number == FailureNumber::AmbiguousEncoding && bomLookalike
            && first.format.encoding == TextEncoding::Windows1252)
            return 0;
        fail("decoded text cannot be written back");
    }
    // Saving from the editor's storage, in parts, must write the same bytes.
    const Result<QByteArray> fromStorage = encodeDocument(loaded.text, loaded.format);
    if (!fromStorage.ok() || fromStorage.value() != written.value())
        fail("saving from the editor's storage writes different bytes");
    const DecodedDocument second = decodeDocument(written.value());
    if (second.text != first.text)
        fail("text changed");
    if (!(second.format == first.format))
        fail("encoding or line ending changed");
    const Result<QByteArray> rewritten = encodeDocument(second.text, second.format);
    if (!rewritten.ok() || rewritten.value() != written.value())
        fail("a second save differs from the first");
    return 0;
}
