#pragma once

#include "platform/registry.h"
#include "settings/settingsstore.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QPushButton;

// Offers to make this program the one that opens text files.
class Form2 : public QDialog
{
    Q_OBJECT
public:
    Form2(Registry &registry,
        SettingsStore &settings,
        const QString &command,
        QWidget *parent = nullptr);

    // Compares the stored open command with ours and, when they differ, shows the offer through
    // showModal. Returns the dialog when it was needed, so it stays loaded for the session.
    static std::unique_ptr<Form2> runCheck(Registry &registry,
        SettingsStore &settings,
        const QString &programFolder,
        const std::function<void(QDialog &)> &showModal);

    QPushButton *btnYes() const { return m_yes; }
    QPushButton *Command1() const { return m_no; }
    QCheckBox *Check1() const { return m_check; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void onYes();
    void onNo();
    void rememberNotToAsk();

    Registry &m_registry;
    SettingsStore &m_settings;
    QString m_command;
    QPushButton *m_yes;
    QPushButton *m_no;
    QCheckBox *m_check;
};
