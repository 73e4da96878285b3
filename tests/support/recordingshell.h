#pragma once

#include "platform/shell.h"

#include <QList>
#include <QPointer>
#include <QWidget>

// Records every link handed to the desktop instead of opening it.
class RecordingShell : public Shell
{
public:
    struct Call
    {
        QPointer<QWidget> owner;
        QString verb;
        QString target;
        QString parameters;
        QString folder;
        int showCommand;
    };

    void openTarget(QWidget *owner,
        const QString &verb,
        const QString &target,
        const QString &parameters,
        const QString &folder,
        int showCommand) override
    {
        calls.append({ owner, verb, target, parameters, folder, showCommand });
    }

    QList<Call> calls;
};
