#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

// A background picture in the renditions drawn for it: a light one under dark text and a
// dark one under light text, so that text stays readable in a light and in a dark desktop
// theme, and each of them also at twice the pixels for screens at a scale of 2. They lie
// beside the picture: "wood.gif", "wood-dark.gif", "wood@2x.gif" and "wood-dark@2x.gif".
class TilePicture
{
public:
    TilePicture() = default;
    explicit TilePicture(const QString &path);

    bool isNull() const { return m_path.isEmpty(); }
    QString path() const { return m_path; }
    bool operator==(const TilePicture &other) const { return m_path == other.m_path; }

    // Whether text of this colour reads better on a dark background than on a light one.
    static bool wantsDarkBackground(const QColor &text);
    // The rendition to show under text of this colour, at this device pixel ratio.
    QPixmap rendition(const QColor &text, qreal devicePixelRatio = 1) const;

private:
    QString m_path;
};

// A picture repeated from the top left corner over the whole area, in the rendition that
// suits the colour of the text over it; the window background colour shows where there is
// no picture.
class TiledPicture : public QWidget
{
    Q_OBJECT
public:
    explicit TiledPicture(QWidget *parent = nullptr);

    TilePicture Picture() const { return m_picture; }
    void setPicture(const TilePicture &picture);
    // The rendition of the picture that shows under the text now.
    QPixmap shownPicture() const { return m_picture.rendition(m_textColor, devicePixelRatioF()); }
    QColor textColor() const { return m_textColor; }
    void setTextColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TilePicture m_picture;
    QColor m_textColor = Qt::black;
    // What was last drawn, kept since the text over the picture repaints it with every key.
    QPixmap m_shown;
    bool m_shownDark = false;
    qreal m_shownRatio = 0;
};
