#pragma once

#include <QFont>
#include <QLineF>
#include <QPalette>
#include <QVector>
#include <QWidget>

class TBSeparator;

// The toolbar bar: aligned to the top of its window, an etched top edge, a grip at its left
// end. Its six properties are kept and reported but never change what it draws.
class TarnBar : public QWidget
{
    Q_OBJECT
public:
    explicit TarnBar(QWidget *parent = nullptr);

    quint32 BackColor() const { return m_backColor; }
    void setBackColor(quint32 value);
    quint32 ForeColor() const { return m_foreColor; }
    void setForeColor(quint32 value);
    bool Enabled() const { return m_enabled; }
    void setEnabledProperty(bool value);
    QFont Font() const { return m_font; }
    void setFontProperty(const QFont &value);
    qint16 BackStyle() const { return m_backStyle; }
    void setBackStyle(qint16 value);
    qint16 BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(qint16 value);
    void Refresh() { }

    // Lines that the window lays over the bar's own, in twips. Returns the line's handle.
    int addLine(const QLineF &twips, QPalette::ColorRole role);
    void setLineEndX(int line, double x2Twips);
    QLineF line(int line) const { return m_lines.at(line).twips; }

Q_SIGNALS:
    void PropertyChanged(const QString &name);
    void MouseMove(int button, int shift, double x, double y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    struct PlacedLine
    {
        QLineF twips;
        QPalette::ColorRole role;
    };

    QVector<PlacedLine> m_lines;
    TBSeparator *m_grip;
    quint32 m_backColor = 0;
    quint32 m_foreColor = 0;
    bool m_enabled = false;
    QFont m_font;
    qint16 m_backStyle = 0;
    qint16 m_borderStyle = 0;
};
