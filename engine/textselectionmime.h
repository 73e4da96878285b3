#pragma once

#include <QMimeData>
#include <QPointer>

class TextControl;

// The X11 primary selection of a text control. Its text is read only when another program
// asks for it, so selecting a large stretch costs nothing; once the text has changed, the
// selection offers nothing rather than different text.
class TextSelectionMime : public QMimeData
{
    Q_OBJECT
public:
    TextSelectionMime(TextControl *control, qsizetype start, qsizetype length);

    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    QPointer<TextControl> m_control;
    quint64 m_revision;
    qsizetype m_start;
    qsizetype m_length;
};
