#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// Each picture of the program also comes at twice its pixels, named "name@2x.ext" beside it,
// for screens at a scale of 2, where a stretched picture would be blurred.
QString twicePath(const QString &path);
// The picture at path, or on a screen at a scale above 1 its rendition at twice the pixels
// where there is one.
QPixmap sharpPixmap(const QString &path, qreal devicePixelRatio);
// An icon of the picture at path and its rendition at twice the pixels, so that a window
// icon or a button shows the one drawn for the screen's scale.
QIcon sharpIcon(const QString &path);
