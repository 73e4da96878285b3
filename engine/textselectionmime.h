#pragma once

#include "engine/textpiece.h"

#include <QMimeData>
#include <QPointer>

#include <memory>
#include <vector>

class TextControl;

// The X11 primary selection of a text control. While the control has a selection, the offer
// is that selection as it is when another program asks, so selecting a large stretch copies
// nothing however often it grows. When the selection goes, the control hands over the pieces
// that held it, and the offer keeps that text, so a middle-click can paste it again and
// again. The pieces point into buffers that stay unchanged until the control's whole text is
// replaced; the control withdraws the offer before that.
class TextSelectionMime : public QMimeData
{
    Q_OBJECT
public:
    explicit TextSelectionMime(const TextControl *control);

    // Whether the offer still follows the control's selection.
    bool followsSelection() const { return !m_kept; }
    void keep(std::shared_ptr<const std::vector<TextPiece>> pieces);

    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override;

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override;

private:
    QPointer<const TextControl> m_control;
    std::shared_ptr<const std::vector<TextPiece>> m_kept;
};
