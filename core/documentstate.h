#pragma once

#include "core/documentfile.h"

#include <QObject>
#include <QString>

// What the window knows about its one document. The title is written only at the moments the
// commands choose, so after a failed open it may still name the previous document.
class DocumentState : public QObject
{
    Q_OBJECT
public:
    static QString untitledTitle();

    QString CurrentFile() const { return m_currentFile; }
    void setCurrentFile(const QString &path) { m_currentFile = path; }
    bool TextChanged() const { return m_textChanged; }
    void setTextChanged(bool changed) { m_textChanged = changed; }
    DocumentFormat format() const { return m_format; }
    void setFormat(const DocumentFormat &format) { m_format = format; }

    QString title() const { return m_title; }
    void showUntitledTitle();
    void showFileTitle();

    QString saveChangesPrompt() const;

Q_SIGNALS:
    void titleChanged(const QString &title);

private:
    void setTitle(const QString &title);

    QString m_currentFile;
    bool m_textChanged = false;
    DocumentFormat m_format;
    QString m_title = untitledTitle();
};
