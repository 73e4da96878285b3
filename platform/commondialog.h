#pragma once

#include "platform/failure.h"

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

    virtual ~CommonDialog() = default;

    bool CancelError() const { return m_cancelError; }
    void setCancelError(bool on) { m_cancelError = on; }
    int Flags() const { return m_flags; }
    void setFlags(int flags) { m_flags = flags; }
    QString Filter() const { return m_filter; }
    void setFilter(const QString &filter) { m_filter = filter; }
    QString FileName() const { return m_fileName; }
    void setFileName(const QString &fileName) { m_fileName = fileName; }

    MaybeFailure ShowOpen();
    MaybeFailure ShowSave();
    MaybeFailure ShowPrinter();

protected:
    enum class FileDialogKind { Open, Save };
    // Returns the chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> runFileDialog(FileDialogKind kind) = 0;
    virtual bool runPrintDialog() = 0;

private:
    MaybeFailure cancelled() const;

    bool m_cancelError = false;
    int m_flags = 0;
    QString m_filter;
    QString m_fileName;
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
    bool runPrintDialog() override;

private:
    QWidget *owner() const;

    QPointer<QWidget> m_owner;
};
