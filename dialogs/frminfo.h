#pragma once

#include <QDialog>

class HelpLinks;
class QLabel;

// The About box. It holds no state, so its OK button only hides it and a later showing is
// the same window.
class frmInfo : public QDialog
{
    Q_OBJECT
public:
    explicit frmInfo(const HelpLinks &links, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void createPictures();
    void createTitle();
    void createNotices();
    void createLinks();
    QLabel *addLabel(const QString &name, const QString &text, double left, double top);

    const HelpLinks &m_links;
    bool m_shownBefore = false;
};
