#pragma once

#include <QString>

class QWidget;

// Hands a document or link to the desktop, which starts whatever program is registered for
// it. Nothing comes back: when nothing is registered, the desktop tells the user itself.
class Shell
{
public:
    static constexpr int ShowNormal = 1;

    virtual ~Shell() = default;
    virtual void openTarget(QWidget *owner,
        const QString &verb,
        const QString &target,
        const QString &parameters,
        const QString &folder,
        int showCommand)
        = 0;
};

class DesktopShell : public Shell
{
public:
    void openTarget(QWidget *owner,
        const QString &verb,
        const QString &target,
        const QString &parameters,
        const QString &folder,
        int showCommand) override;
};
