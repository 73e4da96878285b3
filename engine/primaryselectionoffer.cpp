#include "engine/primaryselectionoffer.h"

#include "engine/textselectionmime.h"

#include <QClipboard>
#include <QGuiApplication>

PrimarySelectionOffer::PrimarySelectionOffer(const TextControl &control)
    : m_control(control)
{ }

void PrimarySelectionOffer::follow(
    const TextEditingModel &model, std::pair<qsizetype, qsizetype> previous, const TextChange *edit)
{
    const bool offered = m_offer && m_offer->followsSelection();
    if (model.hasSelection()) {
        QClipboard *clipboard = QGuiApplication::clipboard();
        if (offered || !clipboard->supportsSelection())
            return;
        m_offer = new TextSelectionMime(&m_control);
        clipboard->setMimeData(m_offer, QClipboard::Selection);
        return;
    }
    if (!offered)
        return;
    const TextStorage &text = model.storage();
    const auto [from, to] = previous;
    m_offer->keep(edit ? edit->piecesBefore(text, from, to)
                       : std::make_shared<const std::vector<TextStorage::Piece>>(
                           text.piecesOf(from, to - from)));
}

void PrimarySelectionOffer::withdraw()
{
    if (m_offer)
        QGuiApplication::clipboard()->clear(QClipboard::Selection);
}
