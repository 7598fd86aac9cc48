#pragma once

#include "PictureBundle.h"

#include <QString>

class QMimeData;
class QTextCursor;
class WordTextDocument;

// What a copy, cut or drag of the word processor's text carries, and how a
// paste or drop of it comes back in. The data is self-contained bytes, so
// it survives the system clipboard between two running copies of the
// program: HTML and plain text for any program, and beside them the
// pictures themselves (PictureBundle), which the HTML names by the source
// document's resources only.
namespace TextTransfer {

struct Limits
{
    // The serialized picture data (PictureBundle) another process may read;
    // pictures past it reach only pastes within this program.
    qsizetype bundleBytes = PictureBundle::maximumBytes;
    // The picture files embedded in the HTML for other programs, in all;
    // the pictures past it are left out of that HTML.
    qsizetype embeddedBytes = 32 * 1024 * 1024;
};

// New data for the selection of `cursor`; the caller owns it. A paste of
// this same object within the program gets every picture, whatever its
// size; another running copy of the program gets the pictures that fit
// `limits`. Other programs get HTML with the pictures embedded, and a
// selection of one picture also as the picture itself (image/png).
QMimeData *mimeDataFor(const QTextCursor &cursor, const WordTextDocument &document, const Limits &limits = {});

// Whether `source` is text copied by this program (in this process or
// another): insert() reads its own HTML and picture data rather than what
// it offers other programs.
bool isOwnText(const QMimeData &source);

// Inserts the HTML (else the plain text) of `source` at `cursor`, replacing
// its selection, as one undo step. Pictures the data carries become
// pictures of `document`, held under names that cannot meet a different
// picture of it, and keep their file bytes; a picture the HTML names that
// the data does not carry shows as missing rather than as whichever picture
// of `document` bears its name. False when there was nothing to insert.
bool insert(QTextCursor &cursor, WordTextDocument &document, const QMimeData &source);

} // namespace TextTransfer
