#pragma once

#include "TransferData.h"

#include <QString>
#include <QStringList>

class QMimeData;
class QTextCursor;
class WordTextDocument;

// What a copy, cut or drag of the word processor's text carries
// (TransferData), and how a paste or drop of it comes back in: our own HTML
// with the pictures it names, or HTML and plain text from any program.
namespace TextTransfer {

using Limits = TransferData::Limits;

// New data for the selection of `cursor` (TransferData); the caller owns
// it. A paste of this same object within the program gets every picture,
// whatever its size; other processes get what fits `limits`.
QMimeData *mimeDataFor(const QTextCursor &cursor, const WordTextDocument &document, const Limits &limits = {});

// Data for the system's selection clipboard: the selection of `cursor` as it
// stands when something reads the data, made only then. A paste of it within
// the program gets every picture, as from mimeDataFor().
QMimeData *selectionOfferFor(const QTextCursor &cursor);

// Whether `source` is text copied by this program (in this process or
// another): insert() reads its own HTML and picture data rather than what
// it offers other programs.
bool isOwnText(const QMimeData &source);

// Inserts the HTML (else the plain text) of `source` at `cursor`, replacing
// its selection, as one undo step. Pictures the data carries become
// pictures of `document`, held under names that cannot meet a different
// picture of it, and keep their file bytes; a picture the HTML names that
// the data does not carry shows as missing rather than as whichever picture
// of `document` bears its name. HTML passes the bounds of an opened page
// first (PastedHtml); `cuts`, when given, receives one phrase for each
// bound that cut something. False when there was nothing to insert.
bool insert(QTextCursor &cursor, WordTextDocument &document, const QMimeData &source, QStringList *cuts = nullptr);

} // namespace TextTransfer
