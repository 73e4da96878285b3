#pragma once

#include "core/documentfile.h"

// The document file code with the text as one string, as the tests and fuzzers compare it.

struct DecodedDocument
{
    QString text;
    DocumentFormat format;
};

inline DecodedDocument decodeDocument(const QByteArray &bytes)
{
    const LoadedDocument loaded = loadDocument(bytes);
    return { loaded.text.toString(), loaded.format };
}

inline Result<QByteArray> encodeDocument(const QString &text, const DocumentFormat &format)
{
    return encodeDocument(TextStorage::fromText(text), format);
}
