#pragma once

#include "core/documentfile.h"
#include "platform/filestore.h"

#include <QObject>
#include <QString>

// What the window knows about its one document. The title is written only at the moments the
// commands choose, so after a failed open it may still name the previous document.
class DocumentState : public QObject
{
    Q_OBJECT
public:
    static QString untitledTitle();

    // Makes the document at `path` (empty: an untitled one), stored in `format`, the one in
    // the window: the title names it and it counts as unchanged. stamp is what the file on disk
    // was when the document was read from it or written to it.
    void adopt(const QString &path, const DocumentFormat &format, const FileStamp &stamp = {});

    QString CurrentFile() const { return m_currentFile; }
    bool TextChanged() const { return m_textChanged; }
    // Typing changes the text and saving it in place makes it unchanged again; neither makes
    // it another document.
    void setTextChanged(bool changed) { m_textChanged = changed; }
    DocumentFormat format() const { return m_format; }
    QString title() const { return m_title; }
    // Nothing for a document that has no file.
    const FileStamp &diskStamp() const { return m_diskStamp; }
    // Saving in place makes the file another one on disk, but not another document.
    void setSaved(const FileStamp &stamp)
    {
        m_textChanged = false;
        m_diskStamp = stamp;
    }

    QString saveChangesPrompt() const;

Q_SIGNALS:
    void titleChanged(const QString &title);

private:
    void setTitle(const QString &title);

    QString m_currentFile;
    bool m_textChanged = false;
    DocumentFormat m_format;
    FileStamp m_diskStamp;
    QString m_title = untitledTitle();
};
