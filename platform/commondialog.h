#pragma once

#include "platform/failure.h"
#include "platform/printsetup.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>

// The one dialog object of the main window. Callers set its properties before each use;
// with CancelError set, a cancelled dialog comes back as failure 32755.
class CommonDialog
{
public:
    static constexpr int OverwritePrompt = 0x2;
    static constexpr int HideReadOnly = 0x4;
    static constexpr int ScreenFonts = 0x1;
    static constexpr int Effects = 0x100;

    virtual ~CommonDialog() = default;

    bool CancelError() const { return m_cancelError; }
    void setCancelError(bool on) { m_cancelError = on; }
    int Flags() const { return m_flags; }
    void setFlags(int flags) { m_flags = flags; }
    QString Filter() const { return m_filter; }
    void setFilter(const QString &filter) { m_filter = filter; }
    QString FileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }

    QString FontName() const { return m_font.name; }
    void setFontName(const QString &name) { m_font.name = name; }
    float FontSize() const { return m_font.size; }
    void setFontSize(float points) { m_font.size = points; }
    bool FontBold() const { return m_font.bold; }
    void setFontBold(bool on) { m_font.bold = on; }
    bool FontItalic() const { return m_font.italic; }
    void setFontItalic(bool on) { m_font.italic = on; }
    bool FontStrikethru() const { return m_font.strikethru; }
    void setFontStrikethru(bool on) { m_font.strikethru = on; }
    bool FontUnderline() const { return m_font.underline; }
    void setFontUnderline(bool on) { m_font.underline = on; }
    // 0x00BBGGRR, or 0x80000000 + n for the system colour n.
    quint32 Color() const { return m_font.color; }
    void setColor(quint32 color) { m_font.color = color; }

    MaybeFailure ShowOpen();
    MaybeFailure ShowSave();
    MaybeFailure ShowPrinter();
    MaybeFailure ShowFont();

    // What the user chose in the print dialog that was confirmed last; nothing chosen after a
    // cancel, so that no job can go where the user did not send it.
    const PrintSetup &printSetup() const { return m_printSetup; }

    struct FontChoice
    {
        QString name;
        float size = 0;
        bool bold = false;
        bool italic = false;
        bool strikethru = false;
        bool underline = false;
        quint32 color = 0;
    };

protected:
    enum class FileDialogKind { Open, Save };
    // Returns the chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> runFileDialog(FileDialogKind kind) = 0;
    // Returns the printer or file chosen, or nothing when the user cancelled.
    virtual std::optional<PrintSetup> runPrintDialog() = 0;
    // Starts from the given choice; returns the user's, or nothing when the user cancelled.
    virtual std::optional<FontChoice> runFontDialog(const FontChoice &initial) = 0;

private:
    MaybeFailure cancelled() const;

    bool m_cancelError = false;
    int m_flags = 0;
    QString m_filter;
    QString m_fileName;
    FontChoice m_font;
    PrintSetup m_printSetup;
};

class WidgetCommonDialog : public CommonDialog
{
public:
    // Dialogs belong to the given window, or to the active one when none is given.
    explicit WidgetCommonDialog(QWidget *owner = nullptr);

    // "Description|pattern" pairs into Qt's "Description (pattern)" lines. "*.*" means every
    // file to a user, while Qt would match only names with a dot.
    static QString qtNameFilters(const QString &filter);

protected:
    std::optional<QString> runFileDialog(FileDialogKind kind) override;
    std::optional<PrintSetup> runPrintDialog() override;
    std::optional<FontChoice> runFontDialog(const FontChoice &initial) override;

private:
    QWidget *owner() const;

    QPointer<QWidget> m_owner;
};
