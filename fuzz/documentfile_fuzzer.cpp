#include "core/documentfile.h"
#include "tests/support/documenttext.h"

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

// Any bytes must be read, and written back unchanged when nothing was edited; the text read
// must also survive being written as a new document in the same format.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const LoadedDocument loaded = loadDocument(QByteArray(bytes.constData(), bytes.size()));
    const Result<QByteArray> unedited = encodeDocument(loaded.text, loaded.format);
    if (!unedited.ok() || unedited.value() != bytes)
        fail("a file read and saved unedited changed");
    // The same text typed or pasted: every line break gets the file's first line end.
    const QString text = loaded.text.toString();
    const Result<QByteArray> written = encodeDocument(text, loaded.format);
    if (!written.ok()) {
        // Refusing is sound only for Windows-1252 text that would turn into UTF-16 on disk.
        const bool bomLookalike = bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
        if (written.failure().number == FailureNumber::AmbiguousEncoding && bomLookalike
            && loaded.format.encoding == TextEncoding::Windows1252)
            return 0;
        fail("text read cannot be written back");
    }
    const DecodedDocument second = decodeDocument(written.value());
    if (second.text != text)
        fail("text changed");
    if (second.format.encoding != loaded.format.encoding)
        fail("encoding changed");
    const Result<QByteArray> rewritten = encodeDocument(second.text, second.format);
    if (!rewritten.ok() || rewritten.value() != written.value())
        fail("a second save differs from the first");
    return 0;
}
